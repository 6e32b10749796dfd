#pragma once

#include <algorithm>
#include <cctype>
#include <string>

// The host compares mailbox names and paths ignoring case, as the file
// system does.
inline std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
