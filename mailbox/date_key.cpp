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

// Days from 1 January 1970 to the civil date (proleptic Gregorian).
long long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097LL + dayOfEra - 719468;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

int MonthOf(const std::string& text, size_t at) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    if (at + 3 > text.size()) {
        return 0;
    }
    std::string name;
    for (size_t i = at; i < at + 3; ++i) {
        name += static_cast<char>(text[i] | 0x20);
    }
    for (int month = 0; month < 12; ++month) {
        if (name == kMonths[month]) {
            return month + 1;
        }
    }
    return 0;
}

// The Internet form, most dates mail carries ("[Wed,] 10 Jan 2007 13:05"),
// read here without the platform's locale parsing, which costs more than
// all the rest of indexing a message.
long long InternetDay(const std::string& text) {
    size_t pos = text.find_first_of("0123456789");
    if (pos == std::string::npos) {
        return -1;
    }
    size_t end = pos;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    if (end - pos > 2 || end + 1 >= text.size() || text[end] != ' ') {
        return -1;
    }
    const int day = Digits(text, pos, end - pos);
    const int month = MonthOf(text, end + 1);
    pos = end + 4;
    if (month == 0 || pos >= text.size() || text[pos] != ' ') {
        return -1;
    }
    end = ++pos;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    if (end - pos != 4 && end - pos != 2) {
        return -1;
    }
    int year = Digits(text, pos, end - pos);
    if (end - pos == 2) {
        year += year < 50 ? 2000 : 1900;
    }
    if (day < 1 || day > DaysInMonth(year, month)) {
        return -1;
    }
    return DaysFromCivil(year, month, day);
}

} // namespace

long long MessageDateKey(const std::string& dateText) {
    const long long internetDay = InternetDay(dateText);
    if (internetDay > 0) {
        return internetDay * 86400 + TimeOfDay(dateText);
    }
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
