#include "mailbox/date_key.h"

#include "mailbox/message_date.h"
#include "base/win32.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int Digits(const std::string& text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The first "h:mm" or "hh:mm[:ss]" in the text, with a following "PM", in
// seconds; 0 when there is none.
long long TimeOfDay(const std::string& text) {
    for (size_t colon = text.find(':'); colon != std::string::npos;
         colon = text.find(':', colon + 1)) {
        size_t begin = colon;
        while (begin > 0 && IsDigit(text[begin - 1]) && colon - begin < 2) {
            --begin;
        }
        if (begin == colon || colon + 2 >= text.size() || !IsDigit(text[colon + 1]) ||
            !IsDigit(text[colon + 2])) {
            continue;
        }
        int hours = Digits(text, begin, colon - begin);
        const int minutes = Digits(text, colon + 1, 2);
        int seconds = 0;
        size_t end = colon + 3;
        if (end + 2 < text.size() && text[end] == ':' && IsDigit(text[end + 1]) &&
            IsDigit(text[end + 2])) {
            seconds = Digits(text, end + 1, 2);
            end += 3;
        }
        const size_t mark = text.find_first_not_of(' ', end);
        if (mark != std::string::npos && mark + 1 < text.size() &&
            (text[mark] == 'P' || text[mark] == 'p') &&
            (text[mark + 1] == 'M' || text[mark + 1] == 'm') && hours < 12) {
            hours += 12;
        }
        if (hours < 24 && minutes < 60 && seconds < 60) {
            return hours * 3600LL + minutes * 60LL + seconds;
        }
    }
    return 0;
}

} // namespace

long long MessageDateKey(const std::string& dateText) {
    const std::optional<CalendarDay> day = ParseMessageDay(dateText);
    if (!day) {
        return 0;
    }
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(day->year);
    time.wMonth = static_cast<WORD>(day->month);
    time.wDay = static_cast<WORD>(day->day);
    FILETIME file = {};
    if (!::SystemTimeToFileTime(&time, &file)) {
        return 0;
    }
    const long long ticks = static_cast<long long>(
        static_cast<unsigned long long>(file.dwHighDateTime) << 32 | file.dwLowDateTime);
    // FILETIME counts 100 ns from 1601.
    const long long seconds = ticks / 10000000LL - 11644473600LL;
    return seconds > 0 ? seconds + TimeOfDay(dateText) : 0;
}
