#include "base/ansi_text.h"

#include "base/code_pages.h"

#include <climits>

namespace {

std::wstring Widen(UINT codePage, const char* text, size_t length) {
    if (length == 0 || length > INT_MAX) {
        return std::wstring();
    }
    const int size = static_cast<int>(length);
    const int wide = WideFromCodePage(codePage, 0, text, size, nullptr, 0);
    std::wstring result(static_cast<size_t>(wide), L'\0');
    if (wide > 0) {
        WideFromCodePage(codePage, 0, text, size, &result[0], wide);
    }
    return result;
}

// `lost`, when given, tells whether a character had no form in the code page.
std::string Narrow(UINT codePage, const wchar_t* text, size_t length, bool* lost = nullptr) {
    if (lost) {
        *lost = false;
    }
    if (length == 0 || length > INT_MAX) {
        return std::string();
    }
    const int size = static_cast<int>(length);
    // Best-fit mapping would turn characters the code page lacks into
    // look-alikes; a plain "?" shows that something was lost. UTF-8 has no
    // such characters and refuses the flag.
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && AnsiCodePage() == CP_UTF8);
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int narrow = CodePageFromWide(codePage, flags, text, size, nullptr, 0, nullptr);
    std::string result(static_cast<size_t>(narrow), '\0');
    BOOL usedDefault = FALSE;
    if (narrow > 0) {
        CodePageFromWide(codePage, flags, text, size, &result[0], narrow,
                         lost && !utf8 ? &usedDefault : nullptr);
    }
    if (lost) {
        *lost = usedDefault != FALSE;
    }
    return result;
}

// Every ANSI code page and UTF-8 share the ASCII range, so most texts of a
// mail archive need no conversion at all.
bool IsAscii(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

std::wstring WideFromAnsi(const std::string& text) {
    return Widen(CP_ACP, text.data(), text.size());
}

std::string AnsiFromWide(const wchar_t* text, size_t length) {
    return text ? Narrow(CP_ACP, text, length) : std::string();
}

std::string AnsiToUtf8(const std::string& ansi) {
    if (IsAscii(ansi.data(), ansi.size())) {
        return ansi;
    }
    const std::wstring wide = Widen(CP_ACP, ansi.data(), ansi.size());
    return Narrow(CP_UTF8, wide.data(), wide.size());
}

// In a single-byte code page whose every byte has a character of its own
// (1252 among them) no text can fail the round trip; only others need the
// check, which costs a second conversion.
bool EveryByteRoundTrips() {
    static const bool everyByte = [] {
        if (!IsSingleByteCodePage(CP_ACP)) {
            return false;
        }
        std::string all;
        for (int byte = 1; byte <= 0xFF; ++byte) {
            all += static_cast<char>(byte);
        }
        return Utf8ToAnsi(AnsiToUtf8(all)) == all;
    }();
    return everyByte;
}

bool AnsiToUtf8Exact(const std::string& ansi, std::string& utf8) {
    utf8 = AnsiToUtf8(ansi);
    return IsAscii(ansi.data(), ansi.size()) || EveryByteRoundTrips() || Utf8ToAnsi(utf8) == ansi;
}

void Utf8ToAnsiInto(const char* utf8, size_t length, std::string& ansi) {
    if (IsAscii(utf8, length)) {
        ansi.assign(utf8, length);
    } else {
        ansi = Utf8ToAnsi(utf8, length);
    }
}

std::string Utf8ToAnsi(const char* utf8, size_t length) {
    if (IsAscii(utf8, length)) {
        return std::string(utf8, length);
    }
    const std::wstring wide = Widen(CP_UTF8, utf8, length);
    return Narrow(CP_ACP, wide.data(), wide.size());
}

bool Utf8ToAnsiExact(const char* utf8, size_t length, std::string& ansi) {
    if (IsAscii(utf8, length)) {
        ansi.assign(utf8, length);
        return true;
    }
    const std::wstring wide = Widen(CP_UTF8, utf8, length);
    // Bytes that are no UTF-8 widen to U+FFFD, which no code page but UTF-8
    // has: they count as lost too.
    bool lost = false;
    ansi = Narrow(CP_ACP, wide.data(), wide.size(), &lost);
    return !lost && wide.find(L'\xFFFD') == std::wstring::npos;
}

std::wstring WideFromUtf8(const std::string& utf8) {
    return Widen(CP_UTF8, utf8.data(), utf8.size());
}

std::string Utf8FromWide(const wchar_t* text, size_t length) {
    return text ? Narrow(CP_UTF8, text, length) : std::string();
}
