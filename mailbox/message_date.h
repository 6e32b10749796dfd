// The day a message's date text names, whichever of its usual forms it has.
#pragma once

#include "base/win32.h"

#include <optional>
#include <string>

struct CalendarDay {
    int year = 0;
    int month = 0;   // 1 = January
    int day = 0;     // of the month
    int weekday = 0; // 0 = Sunday
};

std::optional<CalendarDay> CalendarDayOf(DATE value);

// Tries, in this order: the user's locale (numeric dates with an optional
// time, and what else the platform takes); the same after a leading weekday
// name, as the host shows dates ("Mon 12/06/2006 10:00"); and the Internet
// form with English names and a zone ("Wed, 10 Jan 2007 13:05:00 +0100"),
// which the platform refuses. Only the day counts: the time and the zone
// are not used.
std::optional<CalendarDay> ParseMessageDay(const std::string& text);
