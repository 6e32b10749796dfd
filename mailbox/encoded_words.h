// Header texts as mailers send them: non-ASCII words travel as MIME encoded
// words ("=?utf-8?Q?Caf=C3=A9?="), which the plug-in shows in the user's
// code page.
#pragma once

#include <string>

// The header text with its encoded words decoded into the user's code page.
// Encoded words separated only by white space join up; a word that is not
// well formed, or names a charset the platform cannot convert, stays as it is.
// Characters the code page lacks become its default character ("?").
std::string DecodeEncodedWords(const std::string& header);
