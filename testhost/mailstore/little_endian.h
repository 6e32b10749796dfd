// The host's index files keep their numbers little-endian, whatever the
// machine does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline void PutLittleEndian(std::string& out, size_t at, uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

inline void AppendLittleEndian(std::string& out, uint64_t value, size_t bytes) {
    out.resize(out.size() + bytes);
    PutLittleEndian(out, out.size() - bytes, value, bytes);
}

inline uint64_t GetLittleEndian(std::string_view in, size_t at, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = bytes; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(in[at + i]);
    }
    return value;
}
