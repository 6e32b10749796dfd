// Dates as messages carry them in their Date: header, and as the host shows
// them in its mailbox windows ("Mon 12/11/2006 10:00").
#pragma once

#include <optional>
#include <string>

// A wall-clock time as written, in no particular zone.
struct CivilTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Lenient about blanks, comments, a missing weekday or zone, two- and
// three-digit years and the obsolete zone names; the zone itself is checked
// but not applied. Empty when the text is not a date.
std::optional<CivilTime> ParseHeaderDate(const std::string& value);

// 0 = Sunday.
int DayOfWeek(int year, int month, int day);
const char* WeekdayAbbreviation(int dayOfWeek);
const char* MonthAbbreviation(int month);

// "Www MM/DD/YYYY HH:MM" with the weekday worked out from the date.
std::string DisplayDate(const CivilTime& time);

// What the host shows for a Date: header value: the date in its own form,
// the value itself when it is not a date, nothing when there is no header.
std::string DisplayDateOfHeader(const std::optional<std::string>& value);
