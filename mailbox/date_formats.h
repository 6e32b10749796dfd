// Dates as the user's locale writes and reads them. Both directions go
// through the platform's conversions, so a date this program writes is one
// it reads back.
#pragma once

#include "base/win32.h"

#include <optional>
#include <string>

// Automation dates (DATE): whole days since 30 December 1899, the time of
// day as the fraction.
DATE CurrentDateTime();
// Midnight at the start of the value's day.
DATE DatePart(DATE value);
DATE Today();

// The text read in the user's default locale, date and time; nullopt when
// the platform does not take it.
std::optional<DATE> ParseLocaleDateTime(const std::string& text);
// The same, keeping only the day it names (midnight).
std::optional<DATE> ParseLocaleDate(const std::string& text);

// The user's short date form and time form.
std::string FormatLocaleDate(DATE value);
std::string FormatLocaleTime(DATE value);
