// Changing a table of contents in place, for the changes every move makes:
// a message added at the end, the last one dropped, a status. Writing the
// whole table instead would make each move cost in proportion to the
// mailbox.
//
// A crash leaves the old or the new table: added entries go past the ones
// the header counts, which readers ignore, and reach the disk before the
// header that counts them; a status is four bytes inside one entry.
#pragma once

#include "testhost/mailstore/toc_file.h"

#include <string>

// The file's table is `toc`'s first `kept` entries, byte for byte; makes it
// `toc`. StoreError when it cannot; the file then still reads as before or
// already as `toc`.
void AppendTocEntries(const std::string& path, const TocContents& toc, size_t kept);
// The file's table is `toc` with more entries after; makes it `toc`.
void DropTocEntries(const std::string& path, const TocContents& toc);
// The file's table is `toc` but for entry `index`'s status; writes that.
void WriteTocStatus(const std::string& path, const TocContents& toc, size_t index);
