#include "base/code_pages.h"

int WideFromCodePage(UINT codePage, DWORD flags, const char* bytes, int length, wchar_t* wide,
                     int capacity) {
    return ::MultiByteToWideChar(codePage, flags, bytes, length, wide, capacity);
}

int CodePageFromWide(UINT codePage, DWORD flags, const wchar_t* wide, int length, char* bytes,
                     int capacity, BOOL* usedDefault) {
    return ::WideCharToMultiByte(codePage, flags, wide, length, bytes, capacity, nullptr,
                                 usedDefault);
}

UINT AnsiCodePage() {
    return ::GetACP();
}

bool IsSingleByteCodePage(UINT codePage) {
    CPINFO info = {};
    return ::GetCPInfo(codePage, &info) && info.MaxCharSize == 1;
}

bool IsConvertibleCodePage(UINT codePage) {
    return ::IsValidCodePage(codePage) != FALSE;
}
