// A message's date text as a number that sorts as the dates do.
#pragma once

#include <string>

// Seconds since 1 January 1970 of the day the text names (in any form
// ParseMessageDay reads) and of the time of day it gives, as written: zones
// are not applied, so two messages of one day sort by their clock times.
// 0 for a text that names no day, which sorts before every dated message.
long long MessageDateKey(const std::string& dateText);
