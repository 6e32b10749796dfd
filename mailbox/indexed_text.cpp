#include "mailbox/indexed_text.h"

#include "mailbox/html_text.h"
#include "mailbox/mime_text_parts.h"
#include "mailbox/transfer_decoding.h"
#include "base/ansi_text.h"

namespace {

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

void IndexedTextReader::Read(std::string_view from, std::string_view to, std::string_view subject,
                             std::string_view message, IndexedText& text) {
    text.sender.assign(from);
    text.recipients.assign(to);
    text.subject.assign(subject);
    decoder_.DecodeUtf8InPlace(text.sender);
    decoder_.DecodeUtf8InPlace(text.recipients);
    decoder_.DecodeUtf8InPlace(text.subject);
    ReadBody(message, text.body);
}

void IndexedTextReader::ReadBody(std::string_view message, std::string& body) {
    body.clear();
    for (const MimeTextPart& part : MimeTextParts(message)) {
        if (!body.empty()) {
            body += '\n';
        }
        AppendPart(part.body, part.charset, part.transferEncoding, part.html, body);
    }
}

// The archive keeps the host's text, in its code page, as UTF-8: a part in
// that code page reads as stored, a part in another charset is its bytes
// again first.
void IndexedTextReader::AppendPart(std::string_view stored, const std::string& charset,
                                   const std::string& transferEncoding, bool html,
                                   std::string& body) {
    const bool quoted = transferEncoding == "quoted-printable";
    const bool base64 = transferEncoding == "base64";
    bool decoded = false;
    if (quoted || base64) {
        const std::string encoded =
            IsAscii(stored) ? std::string(stored) : Utf8ToAnsi(stored.data(), stored.size());
        decoded = quoted ? DecodeQuotedPrintable(encoded, bytes_) : DecodeBase64(encoded, bytes_);
    }
    const std::string_view* text = &stored;
    std::string_view convertedView;
    if (decoded) {
        if (!charsets_.ToUtf8(charset, bytes_, converted_)) {
            // Mislabelled: the reader's own code page is the best guess.
            converted_ = AnsiToUtf8(bytes_);
        }
        convertedView = converted_;
        text = &convertedView;
    } else if (!IsAscii(stored) && !charsets_.IsCodePage(charset) &&
               Utf8ToAnsiExact(std::string(stored), bytes_) &&
               charsets_.ToUtf8(charset, bytes_, converted_)) {
        convertedView = converted_;
        text = &convertedView;
    }
    if (html) {
        body += HtmlToText(*text);
    } else {
        body.append(text->data(), text->size());
    }
}
