// Real-looking messages of every shape a mailbox of many years holds.
#pragma once

#include <string>
#include <vector>

struct VariedMessage {
    std::string text;
    int status;
};

// About twenty messages, one of them 2 MB; statuses run through every
// status the host has.
std::vector<VariedMessage> VariedMail();
