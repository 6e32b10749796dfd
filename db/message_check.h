// A check of a message text that tells different texts apart, by which a
// row is known again without holding its text.
#pragma once

#include <cstdint>
#include <string>

// A hash of the text's bytes, and its length. A restore holds one for every row it stages, so it
// is kept as numbers; the journal keeps it as text.
struct MessageCheck {
    uint64_t hash = 0;
    uint32_t length = 0;
    // False for a journal's text that is no check of ours: it matches no text.
    bool known = false;

    std::string Text() const;
    static MessageCheck FromText(const std::string& text);
    bool operator==(const MessageCheck& other) const {
        return known && other.known && hash == other.hash && length == other.length;
    }
    bool operator!=(const MessageCheck& other) const { return !(*this == other); }
    bool operator<(const MessageCheck& other) const {
        return hash != other.hash ? hash < other.hash : length < other.length;
    }
    // The check in 32 bits, for a task that holds one for each of a
    // mailbox's messages: a wrong match takes a different text of the same
    // id and the same 32 bits.
    uint32_t Folded() const {
        return static_cast<uint32_t>(hash ^ (hash >> 32)) ^ (length * 2654435761u);
    }
};

MessageCheck MessageChecksum(const std::string& text);
