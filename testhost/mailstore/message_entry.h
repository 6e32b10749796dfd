// What the host knows of one message without reading it: where its bytes lie
// in the mailbox file and what its table of contents keeps for it.
#pragma once

#include <cstdint>
#include <string>

struct MessageEntry {
    uint32_t id = 0;      // unique in its mailbox, never given out again
    int32_t status = 0;   // 0 = unread
    int32_t priority = 0; // 0 none, 1 highest .. 5 lowest
    uint32_t offset = 0;  // of the message's first byte in the .mbx
    uint32_t length = 0;  // of the message's bytes
    std::string date;     // as the host shows it
};
