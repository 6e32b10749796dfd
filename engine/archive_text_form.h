// How a text read from a Jet archive is kept in the archive file. The archive
// task turned each message's bytes into text through the code page, and the
// archive file keeps text as UTF-8 that the layer reads back through the code
// page: so the text's own UTF-8 gives the original bytes on a restore, and a
// character the code page cannot carry (written by some other program) is
// kept as it is and shows as the code page shows it.
#pragma once

#include <cstdint>
#include <string>

std::string StoredFormOf(const std::wstring& text);
