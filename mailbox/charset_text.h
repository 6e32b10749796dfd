// The text of a MIME part, in whatever charset it names, as UTF-8. Charsets
// are known by the same names and resolved the same way as in encoded
// header words (encoded_words.h), so a body and its subject read alike.
#pragma once

#include "mailbox/encoded_words.h"

#include <string>

class CharsetText {
public:
    // `bytes` in `charset` (a name as a Content-Type gives it; empty for a
    // part that names none, taken as the user's code page) into `utf8`.
    // False, with `utf8` untouched, for a charset this platform does not
    // convert or bytes that are not in it.
    bool ToUtf8(const std::string& charset, const std::string& bytes, std::string& utf8);

    // Whether text in `charset` needs no conversion from the user's code
    // page: the archive already keeps it as that code page's characters.
    bool IsCodePage(const std::string& charset) const;

private:
    HeaderDecoder decoder_;
};

// Whether `bytes` are well-formed UTF-8.
bool IsUtf8(const std::string& bytes);
