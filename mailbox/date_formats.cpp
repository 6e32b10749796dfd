#include "mailbox/date_formats.h"

#include "base/ansi_text.h"

#include <oleauto.h>

#include <cmath>

namespace {

std::optional<DATE> Parse(const std::string& text, ULONG flags) {
    std::wstring wide = WideFromAnsi(text);
    DATE value = 0;
    if (FAILED(::VarDateFromStr(&wide[0], LOCALE_USER_DEFAULT, flags, &value))) {
        return std::nullopt;
    }
    return value;
}

bool ToSystemTime(DATE value, SYSTEMTIME& time) {
    return ::VariantTimeToSystemTime(value, &time) != FALSE;
}

} // namespace

DATE CurrentDateTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    now.wMilliseconds = 0;
    DATE value = 0;
    ::SystemTimeToVariantTime(&now, &value);
    return value;
}

DATE DatePart(DATE value) {
    // Before 1899 the day is still the whole part and the time the fraction
    // of it, both counted away from zero.
    return std::trunc(value);
}

DATE Today() {
    return DatePart(CurrentDateTime());
}

std::optional<DATE> ParseLocaleDateTime(const std::string& text) {
    return Parse(text, 0);
}

std::optional<DATE> ParseLocaleDate(const std::string& text) {
    std::optional<DATE> value = Parse(text, VAR_DATEVALUEONLY);
    if (value) {
        value = DatePart(*value);
    }
    return value;
}

std::string FormatLocaleDate(DATE value) {
    SYSTEMTIME time;
    char text[128];
    if (!ToSystemTime(value, time) || ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time,
                                                       nullptr, text, sizeof text) == 0) {
        return std::string();
    }
    return text;
}

std::string FormatLocaleTime(DATE value) {
    SYSTEMTIME time;
    char text[128];
    if (!ToSystemTime(value, time) ||
        ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, sizeof text) == 0) {
        return std::string();
    }
    return text;
}
