#include "plugin/ansi_text.h"

#include "plugin/win32.h"

#include <climits>

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX) {
        return std::wstring();
    }
    const int length = static_cast<int>(text.size());
    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    if (wideLength > 0) {
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], wideLength);
    }
    return wide;
}

std::string AnsiFromWide(const wchar_t* text, size_t length) {
    if (!text || length == 0 || length > INT_MAX) {
        return std::string();
    }
    const int wideLength = static_cast<int>(length);
    const int ansiLength =
        ::WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(ansiLength), '\0');
    if (ansiLength > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, text, wideLength, &ansi[0], ansiLength, nullptr, nullptr);
    }
    return ansi;
}
