#include "mailbox/transfer_decoding.h"

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

int Base64DigitValue(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsSpace(char c) {
    return IsBlank(c) || c == '\r' || c == '\n';
}

// Blanks a mailer added at a line's end are no part of the text.
void DropTrailingBlanks(std::string& bytes, size_t keep) {
    while (bytes.size() > keep && IsBlank(bytes.back())) {
        bytes.pop_back();
    }
}

} // namespace

bool DecodeQuotedPrintable(std::string_view text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(text.size());
    // Bytes decoded from "=20" are meant, however they end a line.
    size_t meant = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            DropTrailingBlanks(bytes, meant);
            bytes += c;
            meant = bytes.size();
            continue;
        }
        if (c != '=') {
            bytes += c;
            continue;
        }
        // A soft break may carry blanks before its line break.
        size_t next = i + 1;
        while (next < text.size() && IsBlank(text[next])) {
            ++next;
        }
        if (next == text.size()) {
            i = next;
            continue;
        }
        if (text[next] == '\r' || text[next] == '\n') {
            i = next;
            if (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') {
                ++i;
            }
            continue;
        }
        const int high = i + 1 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexDigitValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) {
            return false;
        }
        bytes += static_cast<char>(high * 16 + low);
        meant = bytes.size();
        i += 2;
    }
    DropTrailingBlanks(bytes, meant);
    return true;
}

bool DecodeBase64(std::string_view text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(text.size() / 4 * 3 + 3);
    unsigned bits = 0;
    int bitCount = 0;
    size_t digits = 0;
    size_t padding = 0;
    for (const char c : text) {
        if (IsSpace(c)) {
            continue;
        }
        if (c == '=') {
            ++padding;
            continue;
        }
        const int value = Base64DigitValue(c);
        if (value < 0 || padding > 0) {
            return false;
        }
        ++digits;
        bits = (bits << 6) | static_cast<unsigned>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes += static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    return digits % 4 != 1 && padding <= 2;
}

std::string EncodeBase64(std::string_view bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                               static_cast<unsigned char>(bytes[i + 1]) << 8 |
                               static_cast<unsigned char>(bytes[i + 2]);
        text += kAlphabet[group >> 18];
        text += kAlphabet[(group >> 12) & 63];
        text += kAlphabet[(group >> 6) & 63];
        text += kAlphabet[group & 63];
    }
    if (i < bytes.size()) {
        unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) {
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        text += kAlphabet[group >> 18];
        text += kAlphabet[(group >> 12) & 63];
        text += i + 1 < bytes.size() ? kAlphabet[(group >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}
