// SHA-256 of bytes fed in pieces of any size, so that a file of any length is
// hashed while it streams. Plain code of our own, without the platform's
// crypto, so that it builds the same on every system.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    using Digest = std::array<uint8_t, 32>;

    Sha256();

    void Update(const void* data, size_t size);
    // The digest of everything fed since construction or the last Finish;
    // the object is then ready for a new message.
    Digest Finish();
    // The same as 64 lower-case hex digits.
    std::string FinishHex();

    static std::string Hex(const Digest& digest);

private:
    void Reset();
    void Compress(const uint8_t* block);

    std::array<uint32_t, 8> state_{};
    std::array<uint8_t, 64> block_{};
    size_t used_ = 0;     // bytes waiting in block_
    uint64_t length_ = 0; // bytes fed in all
};
