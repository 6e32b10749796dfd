#include "mailbox/message_date.h"

#include "mailbox/date_formats.h"
#include "base/ole_dates.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace {

const char* const kDayNames[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
const char* const kMonthNames[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n') {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

bool AllDigits(const std::string& word, size_t shortest, size_t longest) {
    if (word.size() < shortest || word.size() > longest) {
        return false;
    }
    for (char c : word) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// 1 to 12 for a month's name or its first three letters, any case; else 0.
// Likewise 1 to 7 for a weekday.
int NameIndex(const std::string& word, const char* const* names, int count) {
    if (word.size() < 3) {
        return 0;
    }
    std::string lower;
    for (char c : word) {
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            return 0;
        }
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (int i = 0; i < count; ++i) {
        if (lower.compare(0, 3, names[i]) == 0) {
            return i + 1;
        }
    }
    return 0;
}

bool IsWeekdayName(const std::string& word) {
    return NameIndex(word, kDayNames, 7) != 0;
}

std::optional<CalendarDay> MakeDay(int year, int month, int day) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    DATE value = 0;
    if (!OleDateFromSystemTime(time, value)) {
        return std::nullopt;
    }
    // The conversion rolls 31 February over into March; such a day is not
    // a date at all.
    std::optional<CalendarDay> result = CalendarDayOf(value);
    if (!result || result->day != day || result->month != month) {
        return std::nullopt;
    }
    return result;
}

// [weekday ","] day month year [time [zone]]
std::optional<CalendarDay> ParseInternetDay(const std::string& text) {
    std::vector<std::string> words = Words(text);
    size_t first = !words.empty() && IsWeekdayName(words[0]) ? 1 : 0;
    if (words.size() < first + 3) {
        return std::nullopt;
    }
    const std::string& day = words[first];
    const int month = NameIndex(words[first + 1], kMonthNames, 12);
    const std::string& year = words[first + 2];
    if (!AllDigits(day, 1, 2) || month == 0 || !AllDigits(year, 2, 4)) {
        return std::nullopt;
    }
    int fullYear = std::stoi(year);
    // Older mail writes two or three digits.
    if (year.size() == 2) {
        fullYear += fullYear < 50 ? 2000 : 1900;
    } else if (year.size() == 3) {
        fullYear += 1900;
    }
    return MakeDay(fullYear, month, std::stoi(day));
}

std::string AfterFirstWord(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        return std::string();
    }
    const size_t end = text.find_first_of(" \t,", start);
    if (end == std::string::npos) {
        return std::string();
    }
    const std::string word = text.substr(start, end - start);
    return IsWeekdayName(word) ? text.substr(end + 1) : std::string();
}

} // namespace

std::optional<CalendarDay> CalendarDayOf(DATE value) {
    SYSTEMTIME time;
    if (!SystemTimeFromOleDate(value, time)) {
        return std::nullopt;
    }
    return CalendarDay{time.wYear, time.wMonth, time.wDay, time.wDayOfWeek};
}

std::optional<CalendarDay> ParseMessageDay(const std::string& text) {
    if (std::optional<DATE> value = ParseLocaleDateTime(text)) {
        return CalendarDayOf(*value);
    }
    const std::string rest = AfterFirstWord(text);
    if (!rest.empty()) {
        if (std::optional<DATE> value = ParseLocaleDateTime(rest)) {
            return CalendarDayOf(*value);
        }
    }
    return ParseInternetDay(text);
}
