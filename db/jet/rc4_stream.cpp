#include "db/jet/rc4_stream.h"

#include <array>
#include <utility>

void Rc4Xor(const uint8_t* key, size_t keyLength, uint8_t* data, size_t length) {
    std::array<uint8_t, 256> state;
    for (size_t i = 0; i < state.size(); ++i) {
        state[i] = static_cast<uint8_t>(i);
    }
    uint8_t j = 0;
    for (size_t i = 0; i < state.size(); ++i) {
        j = static_cast<uint8_t>(j + state[i] + key[i % keyLength]);
        std::swap(state[i], state[j]);
    }
    uint8_t a = 0;
    uint8_t b = 0;
    for (size_t n = 0; n < length; ++n) {
        a = static_cast<uint8_t>(a + 1);
        b = static_cast<uint8_t>(b + state[a]);
        std::swap(state[a], state[b]);
        data[n] ^= state[static_cast<uint8_t>(state[a] + state[b])];
    }
}
