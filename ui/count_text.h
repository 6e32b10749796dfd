// Counts as the windows show them: "1,200".
#pragma once

#include <string>

inline std::string GroupedDigits(long long count) {
    std::string digits = std::to_string(count);
    for (int at = static_cast<int>(digits.size()) - 3; at > (count < 0 ? 1 : 0); at -= 3) {
        digits.insert(static_cast<size_t>(at), ",");
    }
    return digits;
}
