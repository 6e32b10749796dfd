#include "base/ole_dates.h"

bool OleDateFromText(std::wstring text, DWORD flags, DATE& value) {
    return SUCCEEDED(::VarDateFromStr(&text[0], LOCALE_USER_DEFAULT, flags, &value));
}

bool OleDateFromSystemTime(const SYSTEMTIME& time, DATE& value) {
    SYSTEMTIME copy = time;
    return ::SystemTimeToVariantTime(&copy, &value) != FALSE;
}

bool SystemTimeFromOleDate(DATE value, SYSTEMTIME& time) {
    return ::VariantTimeToSystemTime(value, &time) != FALSE;
}

SYSTEMTIME LocalTimeNow() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return now;
}

std::string LocaleShortDateText(const SYSTEMTIME& time) {
    char text[128];
    if (::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, sizeof text) ==
        0) {
        return std::string();
    }
    return text;
}

std::string LocaleTimeText(const SYSTEMTIME& time) {
    char text[128];
    if (::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, sizeof text) == 0) {
        return std::string();
    }
    return text;
}
