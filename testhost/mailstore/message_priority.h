// The priority the host gives a message from its X-Priority header, and the
// word it shows for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// 1 (highest) .. 5 (lowest) from the first character of the value; 0 when
// there is no header or it does not start with one of those digits.
int32_t PriorityOfHeader(const std::optional<std::string>& value);

// "Highest" .. "Lowest"; empty for 0 and anything out of range.
std::string PriorityText(int32_t priority);
