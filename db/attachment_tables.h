// The attachment store's hidden tables as its statements name them, and the
// questions asked of them. A content is a small row (its id, size and
// checksum) and its bytes are rows of about a megabyte in a table of their
// own, in order by part. Failures are DbError.
#pragma once

#include "db/sqlite_handles.h"

#include <cstdint>
#include <string>

std::string QuotedContentTable();
std::string QuotedChunksTable();
std::string QuotedRefsTable();

// A table of that name, in any case of its letters.
bool HasTable(sqlite3* db, const std::string& nameUtf8);
void CreateAttachmentTables(sqlite3* db);

// Whether row `rowid` of the table already names `path` (ANSI).
bool HasReference(sqlite3* db, const std::string& tableUtf8, long long rowid,
                  const std::string& path);
// Whether some row names `path` (ANSI) as a file of this size and time: the
// same file kept for another message, most likely.
bool NamedBefore(sqlite3* db, const std::string& path, long long size, uint64_t modified);
// Whether that content is kept whole, to be named again.
bool HasSoundContent(sqlite3* db, const std::string& sha256, long long size);

// The id and size of the content kept under that checksum; false when none is.
bool FindContent(sqlite3* db, const std::string& sha256, long long& id, long long& size);

// Removes the contents no reference names, their bytes first. With
// `sha256`, only the one of that checksum is looked at. Gives how many went.
int DropUnnamedContents(sqlite3* db, const std::string* sha256 = nullptr);
