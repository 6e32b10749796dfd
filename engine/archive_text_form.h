// How a text read from a Jet archive is kept in the archive file. The archive
// task turned each message's bytes into text through the code page, so the
// text goes back through the code page and is stored as the archive task
// stores bytes: a restore then gives the original bytes. Text the code page
// cannot carry (written by some other program) is kept as it is, in UTF-8.
#pragma once

#include <string>

struct StoredText {
    bool blob = false;
    // UTF-8 text, or the bytes themselves for a blob.
    std::string bytes;

    bool operator==(const StoredText& other) const {
        return blob == other.blob && bytes == other.bytes;
    }
};

StoredText StoredFormOf(const std::wstring& text);
