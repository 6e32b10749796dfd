// The program speaks the 8-bit ANSI code page; the database file keeps UTF-8
// so that any SQLite tool reads it. These two cross that border.
#pragma once

#include <string>

// Every byte 0x01-0xFF of the code page has a UTF-8 form and comes back
// unchanged through Utf8ToAnsi.
std::string AnsiToUtf8(const std::string& ansi);
// Characters the code page lacks become "?".
std::string Utf8ToAnsi(const char* utf8, size_t length);
inline std::string Utf8ToAnsi(const std::string& utf8) {
    return Utf8ToAnsi(utf8.data(), utf8.size());
}
