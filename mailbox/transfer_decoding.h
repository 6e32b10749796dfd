// A MIME part's body back from its content-transfer-encoding. Both decoders
// refuse what no sender writes, so that a part whose encoding is broken is
// told apart and kept as it was stored.
#pragma once

#include <string>
#include <string_view>

// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(char c);
// The value of a character of the base64 alphabet, or -1.
int Base64DigitValue(char c);

// Quoted-printable: "=XX" gives a byte, "=" at a line's end joins the line
// to the next (soft break), trailing blanks before a line break go. False
// for "=" followed by anything else.
bool DecodeQuotedPrintable(std::string_view text, std::string& bytes);

// Base64 with its lines broken anywhere; padding may be left off. False for
// a character outside the alphabet or data after the padding.
bool DecodeBase64(std::string_view text, std::string& bytes);

// The bytes in base64 without line breaks.
std::string EncodeBase64(std::string_view bytes);
