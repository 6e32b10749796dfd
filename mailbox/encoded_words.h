// Header texts as mailers send them: non-ASCII words travel as MIME encoded
// words ("=?utf-8?Q?Caf=C3=A9?="), which the plug-in reads in the user's
// code page, or in UTF-8 where a text of any script must show whole.
#pragma once

#include <memory>
#include <string>

class CharsetResolver;

// Decodes many headers in a row: COM and the platform's charset list are
// set up at the first encoded word and kept, and each charset is looked up
// once, for as long as the decoder lives.
class HeaderDecoder {
public:
    HeaderDecoder();
    ~HeaderDecoder();
    HeaderDecoder(const HeaderDecoder&) = delete;
    HeaderDecoder& operator=(const HeaderDecoder&) = delete;

    // As DecodeEncodedWords.
    std::string Decode(const std::string& header);
    // The same in place: a header without encoded words, most of them, is
    // neither copied nor changed.
    void DecodeInPlace(std::string& header);
    // As DecodeEncodedWordsUtf8, in place.
    void DecodeUtf8InPlace(std::string& header);

private:
    std::string DecodeInto(const std::string& header, bool utf8);

    std::unique_ptr<CharsetResolver> charsets_;
};

// The header text with its encoded words decoded into the user's code page.
// Encoded words separated only by white space join up; a word that is not
// well formed, or names a charset the platform cannot convert, stays as it is.
// Characters the code page lacks become its default character ("?").
std::string DecodeEncodedWords(const std::string& header);
// A UTF-8 header text with its encoded words decoded into UTF-8, every
// character kept, by the same rules.
std::string DecodeEncodedWordsUtf8(const std::string& header);
