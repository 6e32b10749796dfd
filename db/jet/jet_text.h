// Text as Jet stores it: Jet 4 in UTF-16, often in its compressed form;
// Jet 3 in the database's code page.
#pragma once

#include "db/jet/byte_span.h"
#include "db/jet/jet_header.h"

#include <string>

std::wstring DecodeJetText(ByteSpan bytes, const JetHeader& header);
// The compressed form: after the marker FF FE, single bytes are characters
// U+0000-U+00FF and a zero byte switches to and from plain UTF-16.
std::wstring DecompressUnicode(ByteSpan bytes);
