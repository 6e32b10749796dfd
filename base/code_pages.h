// The platform's code page conversions, in one place so that the parsers of
// stored and received text also build, and can be fuzzed, off Windows. Wide
// text is UTF-16 with one code unit in each wchar_t, wherever it is built.
#pragma once

#include "base/win32.h"

// As MultiByteToWideChar: the characters written, or those needed when
// `capacity` is 0; 0 on failure.
int WideFromCodePage(UINT codePage, DWORD flags, const char* bytes, int length, wchar_t* wide,
                     int capacity);
// As WideCharToMultiByte with the code page's own default character;
// `usedDefault` may be null.
int CodePageFromWide(UINT codePage, DWORD flags, const wchar_t* wide, int length, char* bytes,
                     int capacity, BOOL* usedDefault);

// The thread's ANSI code page (GetACP).
UINT AnsiCodePage();
// Whether every character of the code page is a single byte.
bool IsSingleByteCodePage(UINT codePage);
// Whether the platform converts text in that code page at all.
bool IsConvertibleCodePage(UINT codePage);
