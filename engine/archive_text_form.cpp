#include "engine/archive_text_form.h"

namespace {

void Append(std::string& out, uint32_t c) {
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

} // namespace

// The system's own conversion costs several times this loop under Wine, on
// every message twice (copy and comparison). A lone surrogate becomes U+FFFD,
// as the system's conversion makes it.
std::string StoredFormOf(const std::wstring& text) {
    std::string utf8;
    utf8.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint16_t>(text[i]);
        if (c >= 0xD800 && c < 0xE000) {
            const uint32_t low = i + 1 < text.size() ? static_cast<uint16_t>(text[i + 1]) : 0;
            if (c < 0xDC00 && low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        }
        Append(utf8, c);
    }
    return utf8;
}
