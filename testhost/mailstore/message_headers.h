// Header lines of a raw message: the block before the first blank line,
// where names match in any case and a value may be folded over lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the blank line ending the header block starts, so the headers are
// message.substr(0, end); empty when the text holds no blank line (yet).
std::optional<size_t> HeaderBlockEnd(std::string_view message);

// The first header of that name: its value with continuation lines joined,
// leading blanks trimmed and no line end. Empty when there is none.
std::optional<std::string> FindHeader(std::string_view headers, std::string_view name);
