#include "mailbox/separator_line.h"

#include "mailbox/date_formats.h"
#include "mailbox/message_date.h"

namespace {

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The host takes a line as the start of a record only with a four-digit year
// and a day of 1 to 31; a line it does not take would glue this message
// onto the one before it.
bool FitsSeparatorLine(const CalendarDay& day) {
    return day.year >= 1000 && day.year <= 9999 && day.month >= 1 && day.month <= 12 &&
           day.day >= 1 && day.day <= 31 && day.weekday >= 0 && day.weekday <= 6;
}

std::optional<CalendarDay> Fitting(std::optional<CalendarDay> day) {
    return day && FitsSeparatorLine(*day) ? day : std::nullopt;
}

} // namespace

std::string MakeSeparatorLine(const std::string& dateText) {
    std::optional<CalendarDay> day = Fitting(ParseMessageDay(dateText));
    if (!day) {
        day = Fitting(CalendarDayOf(CurrentDateTime()));
    }
    if (!day) {
        day = CalendarDay{1899, 12, 30, 6}; // only when the clock itself is unreadable
    }
    // The host reads the day from this line; the time it shows is the
    // message's own.
    return std::string("From ???@??? ") + kWeekdays[day->weekday] + " " + kMonths[day->month - 1] +
           " " + std::to_string(day->day) + " 12:00:00 " + std::to_string(day->year);
}
