// The line that opens each message record of a host mailbox file.
#pragma once

#include <string>

// "From ???@??? Wed Jan 10 12:00:00 2007" for a date text naming 10 January
// 2007, whatever its time; today's day when the text names none. No line end.
std::string MakeSeparatorLine(const std::string& dateText);
