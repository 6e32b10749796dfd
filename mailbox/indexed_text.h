// What the full-text index keeps of an archived message: the headers as the
// viewer shows them and the text a reader reads, all in UTF-8. Transfer
// encodings, charsets and HTML markup are undone; attachments are left out.
#pragma once

#include "mailbox/charset_text.h"
#include "mailbox/encoded_words.h"

#include <string>
#include <string_view>

struct IndexedText {
    std::string sender;
    std::string recipients;
    std::string subject;
    std::string body;
};

// Reads many messages in a row: the charsets met are looked up once.
class IndexedTextReader {
public:
    // The stored texts of one row (UTF-8, as the archive keeps them): the
    // From, To and Subject columns and the whole message.
    void Read(std::string_view from, std::string_view to, std::string_view subject,
              std::string_view message, IndexedText& text);

    // The text of the message's readable parts, joined by line breaks. A
    // part whose transfer encoding or charset is broken is taken as stored.
    void ReadBody(std::string_view message, std::string& body);

private:
    void AppendPart(std::string_view stored, const std::string& charset,
                    const std::string& transferEncoding, bool html, std::string& body);

    HeaderDecoder decoder_;
    CharsetText charsets_;
    std::string bytes_;
    std::string converted_;
};
