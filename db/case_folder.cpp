#include "db/case_folder.h"

#include "base/win32.h"

#include <algorithm>

namespace {

constexpr unsigned kCharacters = 0x10000;
constexpr unsigned kFirstSurrogate = 0xD800;
constexpr unsigned kAfterSurrogates = 0xE000;

bool IsTrail(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

struct Character {
    unsigned code;
    // 0 for a byte that begins none of the first 65,536 characters.
    size_t length;
};

Character Decode(const unsigned char* bytes, size_t size, size_t at) {
    const unsigned char c = bytes[at];
    if (c < 0x80) {
        return {c, 1};
    }
    if ((c & 0xE0) == 0xC0 && at + 1 < size && IsTrail(bytes[at + 1])) {
        return {((c & 0x1Fu) << 6) | (bytes[at + 1] & 0x3Fu), 2};
    }
    if ((c & 0xF0) == 0xE0 && at + 2 < size && IsTrail(bytes[at + 1]) && IsTrail(bytes[at + 2])) {
        return {((c & 0x0Fu) << 12) | ((bytes[at + 1] & 0x3Fu) << 6) | (bytes[at + 2] & 0x3Fu), 3};
    }
    return {0, 0};
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

// From the first letter whose lower case takes another number of bytes
// (U+023A takes two, its lower case three) the rest is written anew.
void FoldRest(const std::vector<wchar_t>& lower, const unsigned char* bytes, size_t size, size_t at,
              std::string& folded) {
    folded.resize(at);
    while (at < size) {
        const Character character = Decode(bytes, size, at);
        if (character.length == 0) {
            folded += static_cast<char>(bytes[at]);
            ++at;
            continue;
        }
        char put[3];
        folded.append(put, PutUtf8(lower[character.code], put));
        at += character.length;
    }
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
    // Nearly every letter's lower case takes as many bytes as it does and
    // is put in its place. The table and the text are held in locals: a
    // write through a char may change anything, and would have them read
    // from their objects again at every byte.
    folded.assign(text, size);
    char* out = &folded[0];
    const wchar_t* lower = lower_.data();
    size_t at = 0;
    for (;;) {
        // Runs of ASCII, most of any mail, at full speed.
        while (at < size && bytes[at] < 0x80) {
            if (bytes[at] - static_cast<unsigned>('A') < 26u) {
                out[at] = static_cast<char>(bytes[at] + ('a' - 'A'));
            }
            ++at;
        }
        if (at >= size) {
            break;
        }
        const Character character = Decode(bytes, size, at);
        if (character.length == 0) {
            // Characters beyond the first 65,536 and stray bytes are kept.
            ++at;
            continue;
        }
        const unsigned lowerCode = lower[character.code];
        if (lowerCode != character.code) {
            char put[3];
            if (PutUtf8(lowerCode, put) != character.length) {
                FoldRest(lower_, bytes, size, at, folded);
                return;
            }
            std::copy_n(put, character.length, out + at);
        }
        at += character.length;
    }
}

std::string CaseFolder::FoldUtf8(const std::string& text) const {
    std::string folded;
    FoldUtf8(text.data(), text.size(), folded);
    return folded;
}
