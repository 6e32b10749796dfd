// Code page conversions for the native fuzz build: UTF-8, Windows-1252,
// ISO-8859-1 and US-ASCII converted as Windows does; any other code page the
// stand-in knows is taken byte for byte as ISO-8859-1. Sizes and failures
// follow MultiByteToWideChar and WideCharToMultiByte, so that a caller's
// buffer is checked the way Windows would fill it.
#include "base/code_pages.h"

#include <string>

namespace {

// 0x80-0x9F of Windows-1252; the five bytes it leaves undefined map to the
// C1 controls, as Windows converts them.
const char16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const UINT kKnown[] = {874,   932,   936,   949,   950,   1250,  1251,  1252,  1253,  1254,  1255,
                       1256,  1257,  1258,  20127, 20866, 20932, 21866, 28591, 28592, 28593, 28594,
                       28595, 28596, 28597, 28598, 28599, 28603, 28605, 50220, 54936, 65000, 65001};

UINT Actual(UINT codePage) {
    return codePage == CP_ACP ? AnsiCodePage() : codePage;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<char16_t>(c);
    }
}

// Each ill-formed sequence becomes one U+FFFD.
std::u16string FromUtf8(const unsigned char* in, size_t length) {
    std::u16string out;
    for (size_t i = 0; i < length;) {
        const unsigned char lead = in[i];
        size_t extra = 0;
        char32_t c = lead;
        char32_t lowest = 0;
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, c = lead & 0x1F, lowest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, c = lead & 0x0F, lowest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, c = lead & 0x07, lowest = 0x10000;
        } else {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        size_t taken = 1;
        while (taken <= extra && i + taken < length && (in[i + taken] & 0xC0) == 0x80) {
            c = (c << 6) | (in[i + taken] & 0x3F);
            ++taken;
        }
        if (taken <= extra || c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += u'\xFFFD';
            i += taken;
            continue;
        }
        AppendUtf16(out, c);
        i += taken;
    }
    return out;
}

char16_t FromSingleByte(UINT codePage, unsigned char byte) {
    if (codePage == 1252 && byte >= 0x80 && byte <= 0x9F) {
        return k1252High[byte - 0x80];
    }
    if (codePage == 20127) {
        return static_cast<char16_t>(byte & 0x7F);
    }
    return byte;
}

// Lone surrogates become U+FFFD, as Windows writes them.
std::string ToUtf8(const wchar_t* in, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        char32_t c = static_cast<char16_t>(in[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length) {
            const char32_t low = static_cast<char16_t>(in[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// 0 when the code page has no byte for the character.
char ToSingleByte(UINT codePage, char16_t c) {
    if (codePage == 20127) {
        return c < 0x80 ? static_cast<char>(c) : '\0';
    }
    if (codePage == 1252 && c >= 0x80) {
        if (c <= 0xFF && !(c >= 0x80 && c <= 0x9F)) {
            return static_cast<char>(c);
        }
        for (int i = 0; i < 32; ++i) {
            if (k1252High[i] == c) {
                return static_cast<char>(0x80 + i);
            }
        }
        return '\0';
    }
    return c <= 0xFF ? static_cast<char>(c) : '\0';
}

template <typename Out, typename Text> int Deliver(const Text& text, Out* out, int capacity) {
    if (text.size() > 0x7FFFFFFF) {
        return 0;
    }
    const int size = static_cast<int>(text.size());
    if (capacity == 0) {
        return size;
    }
    if (capacity < size || out == nullptr) {
        return 0;
    }
    for (int i = 0; i < size; ++i) {
        out[i] = static_cast<Out>(text[static_cast<size_t>(i)]);
    }
    return size;
}

} // namespace

int WideFromCodePage(UINT codePage, DWORD, const char* bytes, int length, wchar_t* wide,
                     int capacity) {
    codePage = Actual(codePage);
    if (bytes == nullptr || length <= 0 || capacity < 0 || !IsConvertibleCodePage(codePage)) {
        return 0;
    }
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    std::u16string text;
    if (codePage == CP_UTF8) {
        text = FromUtf8(in, static_cast<size_t>(length));
    } else {
        for (int i = 0; i < length; ++i) {
            text += FromSingleByte(codePage, in[i]);
        }
    }
    return Deliver(text, wide, capacity);
}

int CodePageFromWide(UINT codePage, DWORD, const wchar_t* wide, int length, char* bytes,
                     int capacity, BOOL* usedDefault) {
    codePage = Actual(codePage);
    if (wide == nullptr || length <= 0 || capacity < 0 || !IsConvertibleCodePage(codePage) ||
        (codePage == CP_UTF8 && usedDefault != nullptr)) {
        return 0;
    }
    std::string text;
    bool defaulted = false;
    if (codePage == CP_UTF8) {
        text = ToUtf8(wide, static_cast<size_t>(length));
    } else {
        for (int i = 0; i < length; ++i) {
            const char16_t c = static_cast<char16_t>(wide[i]);
            const char byte = ToSingleByte(codePage, c);
            defaulted = defaulted || (byte == '\0' && c != 0);
            text += byte == '\0' && c != 0 ? '?' : byte;
        }
    }
    if (usedDefault != nullptr) {
        *usedDefault = defaulted ? TRUE : FALSE;
    }
    return Deliver(text, bytes, capacity);
}

UINT AnsiCodePage() {
    return 1252;
}

bool IsSingleByteCodePage(UINT codePage) {
    codePage = Actual(codePage);
    return codePage != CP_UTF8 && codePage != 65000 && codePage != 932 && codePage != 936 &&
           codePage != 949 && codePage != 950 && codePage != 54936 && codePage != 20932 &&
           codePage != 50220;
}

bool IsConvertibleCodePage(UINT codePage) {
    for (const UINT known : kKnown) {
        if (known == codePage) {
            return true;
        }
    }
    return false;
}
