// The attachment store's two hidden tables as its statements name them, and
// the engine's handle on the bytes of one kept content. Failures are DbError.
#pragma once

#include "db/sqlite_handles.h"

#include <string>

std::string QuotedContentTable();
std::string QuotedRefsTable();

// A table of that name, in any case of its letters.
bool HasTable(sqlite3* db, const std::string& nameUtf8);
void CreateAttachmentTables(sqlite3* db);

// Whether row `rowid` of the table already names `path` (ANSI).
bool HasReference(sqlite3* db, const std::string& tableUtf8, long long rowid,
                  const std::string& path);
// Whether that content is kept whole, to be named again.
bool HasSoundContent(sqlite3* db, const std::string& sha256, long long size);

// Incremental I/O on the Data of one content row, closed with its scope.
class ContentBlob {
public:
    ContentBlob(sqlite3* db, long long rowid, bool write);
    ~ContentBlob() { sqlite3_blob_close(blob_); }
    ContentBlob(const ContentBlob&) = delete;
    ContentBlob& operator=(const ContentBlob&) = delete;

    long long Size() const { return sqlite3_blob_bytes(blob_); }
    void Write(const char* bytes, size_t size, long long at);
    void Read(char* bytes, size_t size, long long at);

private:
    void Check(int result) const;

    sqlite3* db_;
    sqlite3_blob* blob_ = nullptr;
};
