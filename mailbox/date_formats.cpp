#include "mailbox/date_formats.h"

#include "base/ansi_text.h"
#include "base/ole_dates.h"

#include <cmath>

namespace {

std::optional<DATE> Parse(const std::string& text, ULONG flags) {
    DATE value = 0;
    if (!OleDateFromText(WideFromAnsi(text), flags, value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

DATE CurrentDateTime() {
    SYSTEMTIME now = LocalTimeNow();
    now.wMilliseconds = 0;
    DATE value = 0;
    OleDateFromSystemTime(now, value);
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
    return SystemTimeFromOleDate(value, time) ? LocaleShortDateText(time) : std::string();
}

std::string FormatLocaleTime(DATE value) {
    SYSTEMTIME time;
    return SystemTimeFromOleDate(value, time) ? LocaleTimeText(time) : std::string();
}
