#include "mailbox/separator_line.h"

#include "mailbox/date_formats.h"
#include "mailbox/message_date.h"

namespace {

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

std::string MakeSeparatorLine(const std::string& dateText) {
    std::optional<CalendarDay> day = ParseMessageDay(dateText);
    if (!day) {
        day = CalendarDayOf(CurrentDateTime());
    }
    if (!day) {
        day = CalendarDay{1899, 12, 30, 6}; // only when the clock itself is unreadable
    }
    // The host reads the day from this line; the time it shows is the
    // message's own.
    return std::string("From ???@??? ") + kWeekdays[day->weekday] + " " + kMonths[day->month - 1] +
           " " + std::to_string(day->day) + " 12:00:00 " + std::to_string(day->year);
}
