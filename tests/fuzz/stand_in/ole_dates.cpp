// Automation dates for the native fuzz build, by the proleptic Gregorian
// calendar, in the range Windows converts (years 100 to 9999). Text is read
// only in the numeric forms Wine takes in an English locale,
// "M/d/yyyy [h:mm[:ss] [AM|PM]]": an Internet date with a zone is refused,
// as Wine refuses it.
#include "base/ole_dates.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

const double kFirstDay = -657434.0; // 1 January 100
const double kLastDay = 2958465.0;  // 31 December 9999
const int64_t kDaysTo1899 = 693899; // from 1 March of year 0 to 30 December 1899

// Days since 1 March of year 0 (Howard Hinnant's civil-date arithmetic).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shifted = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool MakeDate(int year, int month, int day, int hour, int minute, int second, DATE& value) {
    const int64_t days = DaysFromCivil(year, month, day) - kDaysTo1899;
    if (days < kFirstDay || days > kLastDay) {
        return false;
    }
    const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    // Before 1899 the time of day counts away from zero, as the day does.
    value = days < 0 ? days - time : days + time;
    return true;
}

// The numbers of the text and what stands between them.
struct Piece {
    bool number;
    long value;
    std::wstring text;
};

std::vector<Piece> Pieces(const std::wstring& text) {
    std::vector<Piece> pieces;
    for (size_t i = 0; i < text.size();) {
        const wchar_t c = text[i];
        if (c == L' ' || c == L'\t') {
            ++i;
        } else if (c >= L'0' && c <= L'9') {
            long value = 0;
            size_t digits = 0;
            for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits) {
                value = digits < 6 ? value * 10 + (text[i] - L'0') : 1000000;
            }
            pieces.push_back({true, value, std::wstring()});
        } else {
            std::wstring word;
            for (; i < text.size() && !(text[i] >= L'0' && text[i] <= L'9') && text[i] != L' ' &&
                   text[i] != L'\t';
                 ++i) {
                word += static_cast<wchar_t>(text[i] >= L'a' && text[i] <= L'z' ? text[i] - 32
                                                                                : text[i]);
            }
            pieces.push_back({false, 0, word});
        }
    }
    return pieces;
}

bool Is(const Piece& piece, const wchar_t* text) {
    return !piece.number && piece.text == text;
}

} // namespace

bool OleDateFromText(std::wstring text, DWORD flags, DATE& value) {
    const std::vector<Piece> p = Pieces(text);
    // month / day / year
    if (p.size() < 5 || !p[0].number || !Is(p[1], L"/") || !p[2].number || !Is(p[3], L"/") ||
        !p[4].number) {
        return false;
    }
    long year = p[4].value;
    if (year < 100) {
        year += year < 30 ? 2000 : 1900;
    }
    const long month = p[0].value;
    const long day = p[2].value;
    long hour = 0, minute = 0, second = 0;
    size_t at = 5;
    if (at < p.size()) {
        if (p.size() < at + 3 || !p[at].number || !Is(p[at + 1], L":") || !p[at + 2].number) {
            return false;
        }
        hour = p[at].value;
        minute = p[at + 2].value;
        at += 3;
        if (at + 1 < p.size() && Is(p[at], L":") && p[at + 1].number) {
            second = p[at + 1].value;
            at += 2;
        }
        if (at < p.size() && (Is(p[at], L"AM") || Is(p[at], L"PM"))) {
            if (hour < 1 || hour > 12) {
                return false;
            }
            hour = hour % 12 + (Is(p[at], L"PM") ? 12 : 0);
            ++at;
        }
        if (at != p.size()) {
            return false;
        }
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || year > 9999 || hour > 23 || minute > 59 ||
        second > 59) {
        return false;
    }
    int y = 0, m = 0, d = 0;
    CivilFromDays(DaysFromCivil(year, month, day), y, m, d);
    if (m != month) {
        return false; // 31 February
    }
    if (flags & VAR_DATEVALUEONLY) {
        hour = minute = second = 0;
    }
    return MakeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                    static_cast<int>(hour), static_cast<int>(minute), static_cast<int>(second),
                    value);
}

// Days past the end of their month roll over into the next, as Windows does.
bool OleDateFromSystemTime(const SYSTEMTIME& time, DATE& value) {
    if (time.wMonth > 12 || time.wDay > 31 || time.wYear > 9999 || time.wHour > 23 ||
        time.wMinute > 59 || time.wSecond > 59) {
        return false;
    }
    const int month = time.wMonth == 0 ? 1 : time.wMonth;
    const int64_t days = DaysFromCivil(time.wYear, month, 1) + time.wDay - 1;
    int year = 0, m = 0, day = 0;
    CivilFromDays(days, year, m, day);
    return MakeDate(year, m, day, time.wHour, time.wMinute, time.wSecond, value);
}

bool SystemTimeFromOleDate(DATE value, SYSTEMTIME& time) {
    if (!(value >= kFirstDay - 1.0 && value < kLastDay + 1.0)) {
        return false;
    }
    const double whole = std::trunc(value);
    int64_t seconds = std::llround(std::fabs(value - whole) * 86400.0);
    int64_t days = static_cast<int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += value < 0 ? -1 : 1;
    }
    if (days < kFirstDay || days > kLastDay) {
        return false;
    }
    int year = 0, month = 0, day = 0;
    CivilFromDays(days + kDaysTo1899, year, month, day);
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    // 1 March of year 0 was a Wednesday.
    time.wDayOfWeek = static_cast<WORD>((((days + kDaysTo1899) % 7 + 7) % 7 + 3) % 7);
    time.wHour = static_cast<WORD>(seconds / 3600);
    time.wMinute = static_cast<WORD>(seconds / 60 % 60);
    time.wSecond = static_cast<WORD>(seconds % 60);
    time.wMilliseconds = 0;
    return true;
}

SYSTEMTIME LocalTimeNow() {
    SYSTEMTIME now = {};
    now.wYear = 2007;
    now.wMonth = 1;
    now.wDay = 10;
    now.wDayOfWeek = 3;
    now.wHour = 12;
    return now;
}

std::string LocaleShortDateText(const SYSTEMTIME& time) {
    return std::to_string(time.wMonth) + "/" + std::to_string(time.wDay) + "/" +
           std::to_string(time.wYear);
}

std::string LocaleTimeText(const SYSTEMTIME& time) {
    return std::to_string(time.wHour) + ":" + std::to_string(time.wMinute / 10) +
           std::to_string(time.wMinute % 10);
}
