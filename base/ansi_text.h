// The program's texts are 8-bit ANSI in the thread's code page; COM speaks
// UTF-16 and the archive file keeps UTF-8. These cross those borders.
#pragma once

#include <string>

std::wstring WideFromAnsi(const std::string& text);
// Characters the code page lacks become "?" rather than look-alikes.
std::string AnsiFromWide(const wchar_t* text, size_t length);
inline std::string AnsiFromWide(const std::wstring& text) {
    return AnsiFromWide(text.data(), text.size());
}

// Every byte 0x01-0xFF of the code page has a UTF-8 form and comes back
// unchanged through Utf8ToAnsi.
std::string AnsiToUtf8(const std::string& ansi);
// The UTF-8 form of `ansi` when it converts back to exactly the same bytes;
// false for bytes the code page does not define as characters (as in a
// multi-byte code page), which must then be kept as they are.
bool AnsiToUtf8Exact(const std::string& ansi, std::string& utf8);
// Characters the code page lacks become "?".
std::string Utf8ToAnsi(const char* utf8, size_t length);
// The same, and whether every character came through: false when one became
// "?" (or the bytes were no UTF-8), so that a caller that must not write a
// substitute in place of a stored character can tell.
bool Utf8ToAnsiExact(const char* utf8, size_t length, std::string& ansi);
inline bool Utf8ToAnsiExact(const std::string& utf8, std::string& ansi) {
    return Utf8ToAnsiExact(utf8.data(), utf8.size(), ansi);
}
// Texts of any script, for the wide-character controls.
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const wchar_t* text, size_t length);
inline std::string Utf8FromWide(const std::wstring& text) {
    return Utf8FromWide(text.data(), text.size());
}
inline std::string Utf8ToAnsi(const std::string& utf8) {
    return Utf8ToAnsi(utf8.data(), utf8.size());
}
// The same into `ansi`, whose room is used again: converting a column of
// many rows one after another then seldom allocates.
void Utf8ToAnsiInto(const char* utf8, size_t length, std::string& ansi);
