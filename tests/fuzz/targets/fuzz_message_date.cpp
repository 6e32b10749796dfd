// The day of a message's date text, and the separator line a restore writes
// for it: whatever the text, a day that is read lies in the calendar, and
// the line is one the host takes as the start of a record (else the message
// would be glued onto the one before it). A date the test host reads from
// a Date: header names the same day here, also in the form the host shows.
#include "mailbox/date_formats.h"
#include "mailbox/message_date.h"
#include "mailbox/separator_line.h"
#include "testhost/mailstore/header_date.h"
#include "testhost/mailstore/mbox_format.h"
#include "targets/memory_file.h"

#include <cstdio>
#include <string>

namespace {

void CheckDay(const CalendarDay& day) {
    FUZZ_CHECK(day.year >= 100 && day.year <= 9999);
    FUZZ_CHECK(day.month >= 1 && day.month <= 12);
    FUZZ_CHECK(day.day >= 1 && day.day <= 31);
    FUZZ_CHECK(day.weekday >= 0 && day.weekday <= 6);
}

bool SameDay(const CalendarDay& day, const CivilTime& time) {
    return day.year == time.year && day.month == time.month && day.day == time.day;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::optional<CalendarDay> day = ParseMessageDay(text);
    if (day) {
        CheckDay(*day);
    }
    const std::string line = MakeSeparatorLine(text);
    FUZZ_CHECK(IsSeparatorLine(line));
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);

    if (const std::optional<DATE> value = ParseLocaleDateTime(text)) {
        FormatLocaleDate(*value);
        FormatLocaleTime(*value);
        if (const std::optional<CalendarDay> of = CalendarDayOf(*value)) {
            CheckDay(*of);
        }
    }
    if (const std::optional<DATE> value = ParseLocaleDate(text)) {
        FUZZ_CHECK(DatePart(*value) == *value);
    }

    if (const std::optional<CivilTime> time = ParseHeaderDate(text)) {
        // The host's own form, "Mon 12/11/2006 10:00", reads back here.
        const std::optional<CalendarDay> shown = ParseMessageDay(DisplayDate(*time));
        FUZZ_CHECK(shown && SameDay(*shown, *time));
        // Comments are the host's alone to skip.
        if (text.find('(') == std::string::npos) {
            FUZZ_CHECK(day && SameDay(*day, *time));
        }
    }
    return 0;
}
