// A bounded view of bytes with little-endian reads. Every read is checked, so
// an offset or length taken from the file can never reach past what was read.
#pragma once

#include "db/jet/jet_error.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteSpan {
public:
    ByteSpan() = default;
    ByteSpan(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool Has(size_t at, size_t length) const { return at <= size_ && length <= size_ - at; }

    ByteSpan Sub(size_t at, size_t length) const {
        Require(at, length);
        return ByteSpan(data_ + at, length);
    }
    ByteSpan From(size_t at) const {
        Require(at, 0);
        return ByteSpan(data_ + at, size_ - at);
    }
    uint8_t U8(size_t at) const {
        Require(at, 1);
        return data_[at];
    }
    uint16_t U16(size_t at) const {
        Require(at, 2);
        return static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8));
    }
    uint32_t U24(size_t at) const {
        Require(at, 3);
        return static_cast<uint32_t>(data_[at]) | (static_cast<uint32_t>(data_[at + 1]) << 8) |
               (static_cast<uint32_t>(data_[at + 2]) << 16);
    }
    uint32_t U32(size_t at) const {
        Require(at, 4);
        return static_cast<uint32_t>(U16(at)) | (static_cast<uint32_t>(U16(at + 2)) << 16);
    }
    int64_t I64(size_t at) const {
        Require(at, 8);
        uint64_t value =
            static_cast<uint64_t>(U32(at)) | (static_cast<uint64_t>(U32(at + 4)) << 32);
        return static_cast<int64_t>(value);
    }
    double F64(size_t at) const {
        int64_t bits = I64(at);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    float F32(size_t at) const {
        uint32_t bits = U32(at);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    void Require(size_t at, size_t length) const {
        if (!Has(at, length)) {
            throw JetError("a value reaches past the end of its page");
        }
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};
