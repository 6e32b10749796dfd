// The platform's charset list for the native fuzz build: a few names, so
// that the decoder's own table is asked for the others, as under Wine.
#include "base/mime_charsets.h"

class MimeCharsets::Platform {};

MimeCharsets::MimeCharsets() = default;
MimeCharsets::~MimeCharsets() = default;

UINT MimeCharsets::InternetCodePage(const std::string& charset) {
    if (charset == "utf-8") {
        return 65001;
    }
    if (charset == "iso-8859-1" || charset == "latin1") {
        return 28591;
    }
    if (charset == "windows-1252") {
        return 1252;
    }
    if (charset == "us-ascii") {
        return 20127;
    }
    // A code page no conversion takes, as MLang names some.
    if (charset == "euc-jp") {
        return 51932;
    }
    return 0;
}
