// Decoding MIME encoded words in header texts from anyone. Besides not
// failing: a text without "=?" comes back as it is, no decoded text is
// longer than its bytes allow, and an ASCII header decodes to UTF-8 that is
// well formed.
#include "mailbox/encoded_words.h"
#include "targets/memory_file.h"

#include <cstdio>
#include <string>

namespace {

bool IsAscii(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Lead and continuation bytes only; enough to tell a cut or stray byte.
bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
        } else if (lead >= 0x80) {
            return false;
        }
        if (text.size() - i <= extra) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += extra + 1;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // Two headers through one decoder, as the viewer and the filter read a
    // message's fields: the charsets the first looked up serve the second.
    const size_t cut = input.find('\n');
    const std::string first = input.substr(0, cut);
    const std::string second = cut == std::string::npos ? std::string() : input.substr(cut + 1);

    HeaderDecoder decoder;
    for (const std::string* header : {&first, &second}) {
        const std::string ansi = decoder.Decode(*header);
        std::string utf8 = *header;
        decoder.DecodeUtf8InPlace(utf8);
        if (header->find("=?") == std::string::npos) {
            FUZZ_CHECK(ansi == *header && utf8 == *header);
        }
        // A byte decodes to at most one character, which takes one byte in
        // the code page and three in UTF-8.
        FUZZ_CHECK(ansi.size() <= header->size());
        FUZZ_CHECK(utf8.size() <= 3 * header->size());
        if (IsAscii(*header)) {
            FUZZ_CHECK(IsUtf8(utf8));
        }
    }
    FUZZ_CHECK(DecodeEncodedWords(first) == HeaderDecoder().Decode(first));
    FUZZ_CHECK(DecodeEncodedWordsUtf8(second) == [&] {
        std::string text = second;
        HeaderDecoder().DecodeUtf8InPlace(text);
        return text;
    }());
    return 0;
}
