// Reading one header field out of a message's header lines.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Appends to `parts` the pieces of `text` between successive delimiters, and
// the rest after the last (possibly empty); gives the new size of `parts`.
// An empty delimiter adds nothing and gives 0.
int SplitAtText(const std::string& text, const std::string& delimiter,
                std::vector<std::string>& parts);

// The header lines of a raw message: everything before its first blank line,
// or the whole text when it has none.
std::string HeaderBlock(const std::string& rawText);

// The value of `field` (given with its colon and blank, "X-Status: ") in a
// block of CR LF lines: the rest of each line that begins with it, ignoring
// case, joined with the continuation lines after them; empty when no line
// has it.
std::string HeaderValue(const std::string& headers, const std::string& field);
// The same, telling a field that is missing from one that is empty.
std::optional<std::string> FindHeaderValue(const std::string& headers, const std::string& field);
