#include "tests/reliability/varied_mail.h"

#include "tests/host/host_fixture.h"
#include "tests/test_support.h"

namespace {

const char kDate[] = "Thu, 14 Jun 2007 08:30:00 +0200";

// Base64-looking lines of 76 characters, as a mail program attaches a file.
std::string Attachment(size_t bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string lines;
    unsigned seed = 12345;
    while (lines.size() < bytes) {
        for (int i = 0; i < 76; ++i) {
            seed = seed * 1103515245 + 12345;
            lines += kAlphabet[(seed >> 16) % 64];
        }
        lines += "\r\n";
    }
    return lines;
}

} // namespace

std::vector<VariedMessage> VariedMail() {
    std::vector<std::string> texts = {
        MakeMessage("Jürgen Groß <jg@example.de>", "Grüße aus Köln – 5 €", kDate,
                    "Liebe Anna,\r\n\r\nviele Grüße, ça va? Ærø, Øresund, naïve façade.\r\n"),
        "From: lf@example.com\nTo: archive@example.com\nSubject: bare line feeds\n"
        "Date: Fri, 15 Jun 2007 09:00:00 +0000\n\nfirst\nsecond\n\nthird\n",
        MakeMessage("long@example.com", "one long line", kDate, std::string(20000, 'x') + "\r\n"),
        MakeMessage("attach@example.com", "the 2 MB report", kDate,
                    "This is a multi-part message in MIME format.\r\n\r\n"
                    "--b1\r\nContent-Type: text/plain\r\n\r\nSee the attachment.\r\n\r\n"
                    "--b1\r\nContent-Type: application/octet-stream; name=\"report.bin\"\r\n"
                    "Content-Transfer-Encoding: base64\r\n\r\n" +
                        Attachment(2 * 1024 * 1024) + "--b1--\r\n",
                    "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n"),
        MakeMessage("mbox@example.com", "From lines", kDate,
                    "Text\r\nFrom here on it looks like a separator.\r\n>From quoted\r\n"
                    "From someone@example.com Mon Jan  1 00:00:00 2007\r\n"),
        "From: nobody@example.com\r\nSubject: headers only, no blank line",
        "Subject: no sender, no date\r\n\r\nbody\r\n",
        "From: nosubject@example.com\r\nDate: Sat, 16 Jun 2007 10:00:00 +0000\r\n\r\nbody\r\n",
        "From: nodate@example.com\r\nSubject: no date\r\n\r\nbody\r\n",
        MakeMessage("multi@example.com", "alternative", kDate,
                    "--alt\r\nContent-Type: text/plain; charset=iso-8859-1\r\n\r\nPlain text.\r\n"
                    "--alt\r\nContent-Type: text/html; charset=iso-8859-1\r\n\r\n"
                    "<html><body><p>Rich <b>text</b> &amp; more</p></body></html>\r\n--alt--\r\n",
                    "MIME-Version: 1.0\r\n"
                    "Content-Type: multipart/alternative; boundary=\"alt\"\r\n"),
        MakeMessage("html@example.com", "<b>html</b> only", kDate,
                    "<html><head><style>p{color:red}</style></head><body><p>Hello "
                    "<a href=\"http://example.com/?a=1&b=2\">link</a></p></body></html>\r\n",
                    "Content-Type: text/html\r\n"),
        MakeMessage("mixed@example.com", "mixed line ends", kDate,
                    "crlf\r\nlf only\nlone cr\rend\r\n"),
        MakeMessage("noeol@example.com", "no line end at the end", kDate, "last line"),
        MakeMessage("=?utf-8?Q?Ren=C3=A9?= <rene@example.com>", "=?iso-8859-1?Q?Caf=E9?=", kDate,
                    "Encoded words stay as they are.\r\n"),
        MakeMessage("bytes@example.com", "every byte", kDate, EveryByteButZero()),
        MakeMessage("tabs@example.com", "tabs\tand  spaces ", kDate,
                    "\tindented\r\n  \r\ntrailing blanks   \r\n"),
        MakeMessage("quote'and\"semi;colon@example.com", "'; DROP TABLE x; --", kDate,
                    "[Mailbox_Work]\r\n"),
        MakeMessage("dot@example.com", "a lone dot", kDate, "before\r\n.\r\nafter\r\n"),
        MakeMessage("folded@example.com", "a folded\r\n\tsubject line", kDate, "body\r\n",
                    "Received: from a\r\n\tby b; Thu, 14 Jun 2007 08:30:00 +0200\r\n"),
    };
    std::vector<VariedMessage> mail;
    for (size_t i = 0; i < texts.size(); ++i) {
        mail.push_back({texts[i], static_cast<int>(i % 11)});
    }
    return mail;
}
