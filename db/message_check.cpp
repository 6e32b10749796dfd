#include "db/message_check.h"

#include <cstdio>

MessageCheck MessageChecksum(const std::string& text) {
    // FNV-1a over the bytes, with the length: equal texts only give equal
    // checks, which is all a staged row is known again by.
    MessageCheck check;
    check.hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        check.hash = (check.hash ^ c) * 1099511628211ull;
    }
    check.length = static_cast<uint32_t>(text.size());
    check.known = true;
    return check;
}

std::string MessageCheck::Text() const {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%016llx-%lu", static_cast<unsigned long long>(hash),
                  static_cast<unsigned long>(length));
    return buffer;
}

MessageCheck MessageCheck::FromText(const std::string& text) {
    MessageCheck check;
    unsigned long long hash = 0;
    unsigned long length = 0;
    int consumed = 0;
    if (text.size() > 17 && text[16] == '-' &&
        std::sscanf(text.c_str(), "%16llx-%lu%n", &hash, &length, &consumed) == 2 &&
        static_cast<size_t>(consumed) == text.size()) {
        check.hash = hash;
        check.length = static_cast<uint32_t>(length);
        check.known = check.Text() == text;
    }
    return check;
}
