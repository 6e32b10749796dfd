// A fingerprint of a message's bytes (CRC-32), kept in the index so that a
// rebuilt index recognises messages that moved within their file.
#pragma once

#include <cstdint>
#include <string_view>

uint32_t MessageChecksum(std::string_view bytes, uint32_t previous = 0);
