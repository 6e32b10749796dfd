// The parts of a message a reader reads as text: its text/plain and
// text/html parts, found through any nesting of multiparts. Attachments,
// pictures and other kinds of part are left out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct MimeTextPart {
    bool html = false;
    // As the part names them; empty when it names none.
    std::string charset;
    // In lower case: "quoted-printable", "base64", or anything else for a
    // part sent as it is.
    std::string transferEncoding;
    // The part's body, inside the message text.
    std::string_view body;
};

// The message's header lines: everything before the first blank line.
std::string_view MessageHeaders(std::string_view message);
// What follows that blank line; empty when there is none.
std::string_view MessageBody(std::string_view message);

// The text parts of `message` (header lines, a blank line, the body). A
// message without MIME structure, or whose multipart body lost its parts
// (a mailer that took the attachments out), is one plain part: its body.
// Of a multipart/alternative only the plain text is taken when it has one.
std::vector<MimeTextPart> MimeTextParts(std::string_view message);

// The value of a header field (`name` without its colon) in a block of
// header lines, continuation lines joined; empty when missing.
std::string MimeHeaderField(std::string_view headers, std::string_view name);

// A parameter of a structured field value ("text/plain; charset=utf-8"),
// unquoted; empty when missing.
std::string FieldParameter(std::string_view value, std::string_view name);
