#include "db/attachment_tables.h"

#include "db/attachment_store.h"
#include "db/db_error.h"
#include "db/sql_text.h"
#include "db/sqlite_statement.h"
#include "base/ansi_text.h"
#include "base/file_utils.h"

std::string QuotedContentTable() {
    return QuoteIdentifier(kAttachmentContentTable);
}

std::string QuotedRefsTable() {
    return QuoteIdentifier(kAttachmentRefsTable);
}

bool HasTable(sqlite3* db, const std::string& nameUtf8) {
    Statement probe(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"
                        " COLLATE NOCASE");
    probe.BindText(1, nameUtf8);
    StatementRun run(probe);
    return probe.Step();
}

// Table names compare as the engine compares them; paths as the file system
// does, which the key can only do for ASCII letters: HasReference does the
// rest before a reference is added.
void CreateAttachmentTables(sqlite3* db) {
    Statement(db, "CREATE TABLE IF NOT EXISTS " + QuotedContentTable() +
                      " (Sha256 TEXT PRIMARY KEY NOT NULL, Size INTEGER NOT NULL, Data BLOB)")
        .Run();
    Statement(db, "CREATE TABLE IF NOT EXISTS " + QuotedRefsTable() +
                      " (TableName TEXT NOT NULL COLLATE NOCASE, RowId INTEGER NOT NULL,"
                      " Path TEXT NOT NULL COLLATE NOCASE, Sha256 TEXT NOT NULL,"
                      " Size INTEGER NOT NULL, Modified INTEGER NOT NULL,"
                      " UNIQUE (TableName, RowId, Path))")
        .Run();
    Statement(db, "CREATE INDEX IF NOT EXISTS " +
                      QuoteIdentifier(std::string(kAttachmentRefsTable) + "_Sha256") + " ON " +
                      QuotedRefsTable() + " (Sha256)")
        .Run();
}

bool HasReference(sqlite3* db, const std::string& tableUtf8, long long rowid,
                  const std::string& path) {
    Statement paths(db,
                    "SELECT Path FROM " + QuotedRefsTable() + " WHERE TableName = ? AND RowId = ?");
    paths.BindText(1, tableUtf8);
    paths.BindInteger(2, rowid);
    StatementRun run(paths);
    while (paths.Step()) {
        if (SamePathIgnoringCase(Utf8ToAnsi(paths.ColumnBytes(0)), path)) {
            return true;
        }
    }
    return false;
}

// A content row whose size does not match its bytes (a damaged file, or one
// written by another program) is nothing to share: it goes, to be kept anew.
bool HasSoundContent(sqlite3* db, const std::string& sha256, long long size) {
    Statement found(db,
                    "SELECT Size, length(Data) FROM " + QuotedContentTable() + " WHERE Sha256 = ?");
    found.BindText(1, sha256);
    bool sound = false;
    {
        StatementRun run(found);
        if (!found.Step()) {
            return false;
        }
        sound = found.ColumnInteger(0) == size && found.ColumnInteger(1) == size;
    }
    if (!sound) {
        Statement drop(db, "DELETE FROM " + QuotedContentTable() + " WHERE Sha256 = ?");
        drop.BindText(1, sha256);
        drop.Run();
    }
    return sound;
}

ContentBlob::ContentBlob(sqlite3* db, long long rowid, bool write) : db_(db) {
    if (sqlite3_blob_open(db, "main", kAttachmentContentTable, "Data", rowid, write ? 1 : 0,
                          &blob_) != SQLITE_OK) {
        DbError error = EngineError(db);
        sqlite3_blob_close(blob_);
        throw error;
    }
}

void ContentBlob::Write(const char* bytes, size_t size, long long at) {
    Check(sqlite3_blob_write(blob_, bytes, static_cast<int>(size), static_cast<int>(at)));
}

void ContentBlob::Read(char* bytes, size_t size, long long at) {
    Check(sqlite3_blob_read(blob_, bytes, static_cast<int>(size), static_cast<int>(at)));
}

void ContentBlob::Check(int result) const {
    if (result != SQLITE_OK) {
        throw EngineError(db_);
    }
}
