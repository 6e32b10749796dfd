// What the full-text index reads of a stored message: transfer encodings,
// charsets and markup undone, attachments left out, broken parts kept raw.
#include "mailbox/indexed_text.h"

#include "base/ansi_text.h"

#include <gtest/gtest.h>

namespace {

// As the archive keeps a message the host gave in its code page.
std::string Stored(const std::string& hostText) {
    return AnsiToUtf8(hostText);
}

std::string BodyOf(const std::string& hostText) {
    IndexedTextReader reader;
    std::string body;
    reader.ReadBody(Stored(hostText), body);
    return body;
}

std::string Part(const std::string& headers, const std::string& body) {
    return headers + "\r\n\r\n" + body;
}

bool Holds(const std::string& text, const std::string& word) {
    return text.find(word) != std::string::npos;
}

TEST(IndexedText, TransferEncodingsAndCharsetsAreUndone) {
    // A soft line break in the middle of a word, and "=C3=A9" for an é.
    EXPECT_TRUE(Holds(BodyOf(Part("Subject: a\r\nContent-Type: text/plain; charset=utf-8\r\n"
                                  "Content-Transfer-Encoding: quoted-printable",
                                  "The quarterly meet=\r\ning at the Caf=C3=A9 =\r\nLumi=C3=A8re")),
                      "meeting at the Caf\xC3\xA9 Lumi\xC3\xA8re"));
    // "Grüße aus Köln" in base64, broken over lines.
    EXPECT_TRUE(Holds(BodyOf(Part("Content-Type: text/plain; charset=\"UTF-8\"\r\n"
                                  "Content-Transfer-Encoding: BASE64",
                                  "R3LDvMOfZSBh\r\ndXMgS8O2bG4=")),
                      "Gr\xC3\xBC\xC3\x9F"
                      "e aus K\xC3\xB6ln"));
    // KOI8-R sent as 8-bit: the host kept its bytes as code-page characters.
    EXPECT_TRUE(Holds(BodyOf(Part("Content-Type: text/plain; charset=koi8-r\r\n"
                                  "Content-Transfer-Encoding: 8bit",
                                  "\xF0\xD2\xC9\xD7\xC5\xD4 world")),
                      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 world"));
    // Windows-1252 quoted-printable in a code page that is 1252 or not.
    EXPECT_TRUE(Holds(BodyOf(Part("Content-Type: text/plain; charset=windows-1252\r\n"
                                  "Content-Transfer-Encoding: quoted-printable",
                                  "na=EFve")),
                      "na\xC3\xAFve"));
    // A message without MIME structure is its body, as the host kept it.
    EXPECT_EQ("Plain caf\xC3\xA9", BodyOf("From: a@b\r\nSubject: x\r\n\r\nPlain caf\xE9"));
}

TEST(IndexedText, BrokenEncodingsAreTakenAsStored) {
    EXPECT_EQ("price =ZZ 10",
              BodyOf(Part("Content-Transfer-Encoding: quoted-printable", "price =ZZ 10")));
    EXPECT_EQ("not base64 at all!",
              BodyOf(Part("Content-Transfer-Encoding: base64", "not base64 at all!")));
    // Bytes that are no UTF-8 though the part says so: the code page reads them.
    EXPECT_EQ("caf\xC3\xA9", BodyOf(Part("Content-Type: text/plain; charset=utf-8\r\n"
                                         "Content-Transfer-Encoding: base64",
                                         "Y2Fm6Q==")));
}

TEST(IndexedText, OnlyTheTextAReaderReadsIsTaken) {
    const std::string message =
        Part("From: a@b\r\nContent-Type: multipart/mixed; boundary=\"outer\"",
             "preamble\r\n--outer\r\n" +
                 Part("Content-Type: multipart/alternative; boundary=inner",
                      "--inner\r\n" + Part("Content-Type: text/plain", "plainversion") +
                          "\r\n--inner\r\n" +
                          Part("Content-Type: text/html", "<p>htmlversion</p>") + "\r\n--inner--") +
                 "\r\n--outer\r\n" +
                 Part("Content-Type: text/html; charset=us-ascii",
                      "<html><head><style>p { hiddenstyle: 1 }</style></head><body>"
                      "<p>Caf&eacute;&nbsp;<b>cr</b>&#232;me<br>next&amp;line</p>"
                      "<script>hiddenscript()</script><!-- hiddencomment --></body></html>") +
                 "\r\n--outer\r\n" +
                 Part("Content-Type: text/plain; name=notes.txt\r\n"
                      "Content-Disposition: attachment; filename=notes.txt",
                      "hiddenattachment") +
                 "\r\n--outer\r\n" +
                 Part("Content-Type: image/png\r\nContent-Transfer-Encoding: base64",
                      "aGlkZGVucGljdHVyZQ==") +
                 "\r\n--outer--\r\n");
    const std::string body = BodyOf(message);
    EXPECT_TRUE(Holds(body, "plainversion"));
    EXPECT_TRUE(Holds(body, "Caf\xC3\xA9 cr\xC3\xA8me next&line"));
    for (const char* hidden : {"htmlversion", "hidden", "<p>", "preamble"}) {
        EXPECT_FALSE(Holds(body, hidden)) << hidden;
    }

    // Headers as the viewer shows them.
    IndexedTextReader reader;
    IndexedText text;
    reader.Read("=?utf-8?Q?Ren=C3=A9?= <r@x>", "b@x", "=?iso-8859-1?Q?=E9t=E9?=", "", text);
    EXPECT_EQ("Ren\xC3\xA9 <r@x>", text.sender);
    EXPECT_EQ("\xC3\xA9t\xC3\xA9", text.subject);
}

} // namespace
