#include "ui/utf8_text.h"

#include "base/ansi_text.h"

#include <algorithm>
#include <climits>

void WidenInto(std::string_view utf8, std::wstring& wide) {
    wide.resize(utf8.size());
    size_t ascii = 0;
    // Most of a mail archive's header texts are ASCII, which widens byte
    // for byte.
    while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) {
        wide[ascii] = static_cast<wchar_t>(utf8[ascii]);
        ++ascii;
    }
    if (ascii == utf8.size() || utf8.size() > INT_MAX) {
        wide.resize(ascii);
        return;
    }
    // UTF-8 never takes fewer bytes than UTF-16 takes code units.
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data() + ascii,
                                             static_cast<int>(utf8.size() - ascii), &wide[ascii],
                                             static_cast<int>(wide.size() - ascii));
    wide.resize(ascii + static_cast<size_t>(length > 0 ? length : 0));
}

namespace {

int CompareWide(const std::wstring& a, const std::wstring& b) {
    const int result =
        ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                         b.data(), static_cast<int>(b.size()));
    return result == 0 ? 0 : result - CSTR_EQUAL;
}

} // namespace

int CompareUtf8IgnoringCase(std::string_view a, std::string_view b) {
    std::wstring wideA;
    std::wstring wideB;
    WidenInto(a, wideA);
    WidenInto(b, wideB);
    return CompareWide(wideA, wideB);
}

bool BeginsIgnoringCase(std::string_view utf8, const std::wstring& prefix) {
    // A character takes at least one byte, so a shorter text cannot begin
    // so; a longer one is widened only as far as the prefix reaches.
    if (utf8.size() < prefix.size()) {
        return false;
    }
    std::wstring wide;
    WidenInto(utf8.substr(0, std::min(utf8.size(), prefix.size() * 4)), wide);
    if (wide.size() < prefix.size()) {
        return false;
    }
    wide.resize(prefix.size());
    return CompareWide(wide, prefix) == 0;
}

std::string WindowTextUtf8(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        std::max(0, ::GetWindowTextW(window, &text[0], static_cast<int>(text.size())))));
    return Utf8FromWide(text);
}
