// The program's texts are 8-bit ANSI; COM speaks UTF-16. These convert at
// the boundary, in the thread's ANSI code page.
#pragma once

#include <string>

std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const wchar_t* text, size_t length);
inline std::string AnsiFromWide(const std::wstring& text) {
    return AnsiFromWide(text.data(), text.size());
}
