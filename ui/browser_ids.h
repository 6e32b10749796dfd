// Identifiers of the platform's browser objects that MinGW-w64's uuid
// library does not carry. Named apart from the platform's own names, so a
// later uuid library that adds them cannot clash with these.
#pragma once

#include "base/win32.h"

// The HTML engine's document object (mshtml): whether it can be made tells
// whether the platform draws pages at all.
inline constexpr CLSID kClsidHtmlDocument = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
