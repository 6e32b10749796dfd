// The platform's automation dates (DATE: days since 30 December 1899, the
// time of day as the fraction) and the user's locale forms of them, in one
// place so that the date parsers also build, and can be fuzzed, off Windows.
#pragma once

#include "base/win32.h"

#include <oleauto.h>

#include <string>

// As VarDateFromStr in the user's default locale; `flags` as it takes them
// (VAR_DATEVALUEONLY).
bool OleDateFromText(std::wstring text, DWORD flags, DATE& value);
// As SystemTimeToVariantTime and VariantTimeToSystemTime.
bool OleDateFromSystemTime(const SYSTEMTIME& time, DATE& value);
bool SystemTimeFromOleDate(DATE value, SYSTEMTIME& time);
// The local wall clock (GetLocalTime).
SYSTEMTIME LocalTimeNow();

// The user's short date form and time form; empty when the platform gives
// none.
std::string LocaleShortDateText(const SYSTEMTIME& time);
std::string LocaleTimeText(const SYSTEMTIME& time);
