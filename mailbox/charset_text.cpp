#include "mailbox/charset_text.h"

#include "mailbox/transfer_decoding.h"
#include "base/ansi_text.h"
#include "base/win32.h"

namespace {

std::string LowerAscii(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool IsAscii(const std::string& bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// What may stand in an encoded word's charset: a name with anything else
// would end the word early or be read as its encoding.
bool IsCharsetName(const std::string& name) {
    if (name.empty() || name.size() > 64) {
        return false;
    }
    for (const char c : name) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && c != '-' && c != '_' && c != '.' && c != ':' && c != '+') {
            return false;
        }
    }
    return true;
}

} // namespace

bool IsUtf8(const std::string& bytes) {
    const size_t size = bytes.size();
    for (size_t i = 0; i < size;) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t more = 0;
        unsigned lowest = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            lowest = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            lowest = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            lowest = 0x10000;
        } else {
            return false;
        }
        if (i + more >= size) {
            return false;
        }
        unsigned value = c & (0x3F >> more);
        for (size_t k = 1; k <= more; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = value << 6 | (next & 0x3F);
        }
        if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += more + 1;
    }
    return true;
}

bool CharsetText::IsCodePage(const std::string& charset) const {
    const std::string lower = LowerAscii(charset);
    if (lower.empty() || lower == "us-ascii") {
        return true;
    }
    const UINT codePage = ::GetACP();
    if (lower == "windows-" + std::to_string(codePage) ||
        lower == "cp" + std::to_string(codePage)) {
        return true;
    }
    // Latin-1 differs from 1252 only in control characters no text holds.
    return codePage == 1252 && (lower == "iso-8859-1" || lower == "latin1");
}

bool CharsetText::ToUtf8(const std::string& charset, const std::string& bytes, std::string& utf8) {
    if (IsAscii(bytes)) {
        utf8 = bytes;
        return true;
    }
    const std::string lower = LowerAscii(charset);
    if (lower == "utf-8" || lower == "utf8") {
        if (!IsUtf8(bytes)) {
            return false;
        }
        utf8 = bytes;
        return true;
    }
    if (IsCodePage(lower)) {
        utf8 = AnsiToUtf8(bytes);
        return true;
    }
    if (!IsCharsetName(charset)) {
        return false;
    }
    // The header decoder knows the charsets and converts them; a body in
    // one is an encoded word it can read.
    const std::string word = "=?" + charset + "?B?" + EncodeBase64(bytes) + "?=";
    std::string text = word;
    decoder_.DecodeUtf8InPlace(text);
    if (text == word) {
        return false;
    }
    utf8 = std::move(text);
    return true;
}
