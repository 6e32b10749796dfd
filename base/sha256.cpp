#include "base/sha256.h"

#include "base/sha256_blocks.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t Rotate(uint32_t value, int bits) {
    return (value >> bits) | (value << (32 - bits));
}

} // namespace

Sha256::Sha256() {
    Reset();
}

void Sha256::Reset() {
    state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    used_ = 0;
    length_ = 0;
}

void Sha256::Compress(const uint8_t* block) {
    std::array<uint32_t, 64> w{};
    for (int i = 0; i < 16; ++i) {
        w[i] = (uint32_t{block[4 * i]} << 24) | (uint32_t{block[4 * i + 1]} << 16) |
               (uint32_t{block[4 * i + 2]} << 8) | uint32_t{block[4 * i + 3]};
    }
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
    for (int i = 0; i < 64; ++i) {
        const uint32_t s1 = Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25);
        const uint32_t choice = (e & f) ^ (~e & g);
        const uint32_t t1 = h + s1 + choice + kSha256Rounds[i] + w[i];
        const uint32_t s0 = Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22);
        const uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
    state_[5] += f;
    state_[6] += g;
    state_[7] += h;
}

void Sha256::Update(const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    length_ += size;
    if (used_ > 0) {
        const size_t take = std::min(size, block_.size() - used_);
        std::memcpy(block_.data() + used_, bytes, take);
        used_ += take;
        bytes += take;
        size -= take;
        if (used_ < block_.size()) {
            return;
        }
        Compress(block_.data());
        used_ = 0;
    }
    // Whole blocks straight from the caller's bytes, without a copy.
    if (size >= block_.size() && HasShaInstructions()) {
        const size_t blocks = size / block_.size();
        CompressWithShaInstructions(state_.data(), bytes, blocks);
        bytes += blocks * block_.size();
        size -= blocks * block_.size();
    }
    for (; size >= block_.size(); bytes += block_.size(), size -= block_.size()) {
        Compress(bytes);
    }
    if (size > 0) {
        std::memcpy(block_.data(), bytes, size);
        used_ = size;
    }
}

Sha256::Digest Sha256::Finish() {
    const uint64_t bits = length_ * 8;
    const uint8_t pad = 0x80;
    Update(&pad, 1);
    const uint8_t zero = 0;
    while (used_ != 56) {
        Update(&zero, 1);
    }
    std::array<uint8_t, 8> tail{};
    for (int i = 0; i < 8; ++i) {
        tail[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    }
    Update(tail.data(), tail.size());

    Digest digest{};
    for (int i = 0; i < 8; ++i) {
        digest[4 * i] = static_cast<uint8_t>(state_[i] >> 24);
        digest[4 * i + 1] = static_cast<uint8_t>(state_[i] >> 16);
        digest[4 * i + 2] = static_cast<uint8_t>(state_[i] >> 8);
        digest[4 * i + 3] = static_cast<uint8_t>(state_[i]);
    }
    Reset();
    return digest;
}

std::string Sha256::FinishHex() {
    return Hex(Finish());
}

std::string Sha256::Hex(const Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest.size() * 2);
    for (uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0f];
    }
    return text;
}
