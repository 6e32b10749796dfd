#include "testhost/mailstore/header_date.h"

#include <cstdio>
#include <vector>

namespace {

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameWord(const std::string& word, const char* name) {
    size_t i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i >= word.size() || Lower(word[i]) != Lower(name[i])) {
            return false;
        }
    }
    return i == word.size();
}

// Index of the name the word spells, as abbreviation or in full; -1 if none.
int FindName(const std::string& word, const char* const* abbreviations, const char* const* names,
             int count) {
    for (int i = 0; i < count; ++i) {
        if (SameWord(word, abbreviations[i]) || SameWord(word, names[i])) {
            return i;
        }
    }
    return -1;
}

// Comments become blanks; an unclosed comment means the value is not a date.
std::optional<std::string> WithoutComments(const std::string& text) {
    std::string out;
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (depth > 0 && c == '\\') {
            ++i;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && depth > 0) {
            if (--depth == 0) {
                out += ' ';
            }
        } else if (depth == 0) {
            out += c;
        }
    }
    if (depth != 0) {
        return std::nullopt;
    }
    return out;
}

// Words split at blanks and commas; blanks around a colon are dropped so
// "10 : 00" reads as one time.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool afterColon = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsBlank(c) || c == ',') {
            size_t next = i;
            while (next < text.size() && IsBlank(text[next])) {
                ++next;
            }
            const bool beforeColon = next < text.size() && text[next] == ':';
            if (c == ',' || (!afterColon && !beforeColon)) {
                if (!word.empty()) {
                    words.push_back(word);
                }
                word.clear();
            }
            continue;
        }
        word += c;
        afterColon = c == ':';
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

std::optional<int> Number(const std::string& text, size_t minDigits, size_t maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool ParseTime(const std::string& word, CivilTime& time) {
    const size_t first = word.find(':');
    if (first == std::string::npos) {
        return false;
    }
    const size_t second = word.find(':', first + 1);
    const auto hour = Number(word.substr(0, first), 1, 2);
    const auto minute =
        Number(word.substr(first + 1,
                           second == std::string::npos ? std::string::npos : second - first - 1),
               2, 2);
    const auto seconds =
        second == std::string::npos ? std::optional<int>(0) : Number(word.substr(second + 1), 2, 2);
    if (!hour || !minute || !seconds || *hour > 23 || *minute > 59 || *seconds > 60) {
        return false;
    }
    time.hour = *hour;
    time.minute = *minute;
    time.second = *seconds;
    return true;
}

bool IsZone(const std::string& word) {
    if (word.size() == 5 && (word[0] == '+' || word[0] == '-')) {
        const auto hhmm = Number(word.substr(1), 4, 4);
        return hhmm && *hhmm % 100 < 60;
    }
    static const char* const names[] = {"UT",  "GMT", "Z",   "EST", "EDT", "CST",
                                        "CDT", "MST", "MDT", "PST", "PDT"};
    for (const char* name : names) {
        if (SameWord(word, name)) {
            return true;
        }
    }
    // The obsolete military letters: any but J.
    return word.size() == 1 && Lower(word[0]) >= 'a' && Lower(word[0]) <= 'z' &&
           Lower(word[0]) != 'j';
}

} // namespace

std::optional<CivilTime> ParseHeaderDate(const std::string& value) {
    const auto text = WithoutComments(value);
    if (!text) {
        return std::nullopt;
    }
    const std::vector<std::string> words = Words(*text);
    size_t at = 0;
    if (at < words.size() && !words[at].empty() && !IsDigit(words[at][0])) {
        if (FindName(words[at], kWeekdays, kWeekdayNames, 7) < 0) {
            return std::nullopt;
        }
        ++at;
    }
    if (words.size() - at < 4 || words.size() - at > 5) {
        return std::nullopt;
    }
    CivilTime time;
    const auto day = Number(words[at], 1, 2);
    const int month = FindName(words[at + 1], kMonths, kMonthNames, 12);
    auto year = Number(words[at + 2], 2, 4);
    if (!day || month < 0 || !year || !ParseTime(words[at + 3], time)) {
        return std::nullopt;
    }
    if (words[at + 2].size() == 2) {
        *year += *year < 50 ? 2000 : 1900;
    } else if (words[at + 2].size() == 3) {
        *year += 1900;
    }
    if (words.size() - at == 5 && !IsZone(words[at + 4])) {
        return std::nullopt;
    }
    time.year = *year;
    time.month = month + 1;
    time.day = *day;
    if (time.year < 1900 || time.day < 1 || time.day > DaysInMonth(time.year, time.month)) {
        return std::nullopt;
    }
    return time;
}

int DayOfWeek(int year, int month, int day) {
    // Sakamoto's method: January and February count as months of the year before.
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) {
        year -= 1;
    }
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

const char* WeekdayAbbreviation(int dayOfWeek) {
    return kWeekdays[dayOfWeek];
}

const char* MonthAbbreviation(int month) {
    return kMonths[month - 1];
}

std::string DisplayDate(const CivilTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%s %02d/%02d/%04d %02d:%02d",
                  WeekdayAbbreviation(DayOfWeek(time.year, time.month, time.day)), time.month,
                  time.day, time.year, time.hour, time.minute);
    return text;
}

std::string DisplayDateOfHeader(const std::optional<std::string>& value) {
    if (!value) {
        return std::string();
    }
    if (const auto time = ParseHeaderDate(*value)) {
        return DisplayDate(*time);
    }
    const size_t first = value->find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = value->find_last_not_of(" \t\r\n");
    return value->substr(first, last - first + 1);
}
