// The keystream Jet XORs over part of the first page. It hides nothing (the
// key is fixed), but the code page and password flag are only readable
// once it is removed.
#pragma once

#include <cstddef>
#include <cstdint>

void Rc4Xor(const uint8_t* key, size_t keyLength, uint8_t* data, size_t length);
