#include "db/case_folder.h"

#include "plugin/win32.h"

namespace {

constexpr unsigned kCharacters = 0x10000;
constexpr unsigned kFirstSurrogate = 0xD800;
constexpr unsigned kAfterSurrogates = 0xE000;

bool IsTrail(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The UTF-8 form of `code`, below 0x10000, at `out`; gives its length.
size_t PutUtf8(unsigned code, char* out) {
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    out[0] = static_cast<char>(0xE0 | (code >> 12));
    out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
}

} // namespace

CaseFolder::CaseFolder() : lower_(kCharacters) {
    for (int c = 0; c < 256; ++c) {
        char letter = static_cast<char>(c);
        if (c != 0) {
            ::CharLowerBuffA(&letter, 1);
        }
        ansiLower_[static_cast<size_t>(c)] = static_cast<unsigned char>(letter);
    }
    for (unsigned code = 0; code < kCharacters; ++code) {
        lower_[code] = static_cast<wchar_t>(code);
    }
    // The platform's own case mapping, the one its comparisons use; halves
    // of surrogate pairs are no characters and are left out.
    ::CharLowerBuffW(&lower_[1], kFirstSurrogate - 1);
    ::CharLowerBuffW(&lower_[kAfterSurrogates], kCharacters - kAfterSurrogates);
}

std::string CaseFolder::FoldAnsi(const std::string& text) const {
    std::string folded(text);
    for (char& c : folded) {
        c = static_cast<char>(ansiLower_[static_cast<unsigned char>(c)]);
    }
    return folded;
}

void CaseFolder::FoldUtf8(const char* text, size_t size, std::string& folded) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    // A lower-case letter may take a byte more than its capital (U+023A
    // takes three, its capital two): the room grows when one does.
    folded.resize(size);
    size_t out = 0;
    for (size_t i = 0; i < size;) {
        if (folded.size() - out < 3) {
            folded.resize(folded.size() + 16 + size / 8);
        }
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            folded[out++] = static_cast<char>(lower_[c]);
            ++i;
            continue;
        }
        unsigned code = 0;
        size_t length = 0;
        if ((c & 0xE0) == 0xC0 && i + 1 < size && IsTrail(bytes[i + 1])) {
            code = ((c & 0x1Fu) << 6) | (bytes[i + 1] & 0x3Fu);
            length = 2;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < size && IsTrail(bytes[i + 1]) &&
                   IsTrail(bytes[i + 2])) {
            code = ((c & 0x0Fu) << 12) | ((bytes[i + 1] & 0x3Fu) << 6) | (bytes[i + 2] & 0x3Fu);
            length = 3;
        }
        const unsigned lower = length ? static_cast<unsigned>(lower_[code]) : code;
        if (length == 0 || lower == code) {
            // Characters beyond the first 65,536 and stray bytes are kept.
            folded[out++] = static_cast<char>(c);
            ++i;
            continue;
        }
        out += PutUtf8(lower, &folded[out]);
        i += length;
    }
    folded.resize(out);
}

std::string CaseFolder::FoldUtf8(const std::string& text) const {
    std::string folded;
    FoldUtf8(text.data(), text.size(), folded);
    return folded;
}
