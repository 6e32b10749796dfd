#include "db/attachment_tables.h"

#include "db/attachment_store.h"
#include "db/sql_text.h"
#include "db/sqlite_statement.h"
#include "base/ansi_text.h"
#include "base/file_utils.h"

#include <vector>

std::string QuotedContentTable() {
    return QuoteIdentifier(kAttachmentContentTable);
}

std::string QuotedChunksTable() {
    return QuoteIdentifier(kAttachmentChunksTable);
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

// A content's checksum is empty only while its bytes go in, inside the
// transaction that names it. Table names compare as the engine compares
// them; paths as the file system does, which the key can only do for ASCII
// letters: HasReference does the rest before a reference is added.
void CreateAttachmentTables(sqlite3* db) {
    Statement(db, "CREATE TABLE IF NOT EXISTS " + QuotedContentTable() +
                      " (Id INTEGER PRIMARY KEY, Sha256 TEXT UNIQUE, Size INTEGER NOT NULL)")
        .Run();
    Statement(db, "CREATE TABLE IF NOT EXISTS " + QuotedChunksTable() +
                      " (ContentId INTEGER NOT NULL, Part INTEGER NOT NULL, Data BLOB NOT NULL,"
                      " PRIMARY KEY (ContentId, Part))")
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
    Statement(db, "CREATE INDEX IF NOT EXISTS " +
                      QuoteIdentifier(std::string(kAttachmentRefsTable) + "_Path") + " ON " +
                      QuotedRefsTable() + " (Path)")
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

bool NamedBefore(sqlite3* db, const std::string& path, long long size, uint64_t modified) {
    Statement named(db, "SELECT Path FROM " + QuotedRefsTable() +
                            " WHERE Path = ? AND Size = ? AND Modified = ?");
    named.BindText(1, AnsiToUtf8(path));
    named.BindInteger(2, size);
    named.BindInteger(3, static_cast<long long>(modified));
    StatementRun run(named);
    while (named.Step()) {
        if (SamePathIgnoringCase(Utf8ToAnsi(named.ColumnBytes(0)), path)) {
            return true;
        }
    }
    return false;
}

bool FindContent(sqlite3* db, const std::string& sha256, long long& id, long long& size) {
    Statement find(db, "SELECT Id, Size FROM " + QuotedContentTable() + " WHERE Sha256 = ?");
    find.BindText(1, sha256);
    StatementRun run(find);
    if (!find.Step()) {
        return false;
    }
    id = find.ColumnInteger(0);
    size = find.ColumnInteger(1);
    return true;
}

namespace {

void DropContent(sqlite3* db, long long id) {
    Statement chunks(db, "DELETE FROM " + QuotedChunksTable() + " WHERE ContentId = ?");
    chunks.BindInteger(1, id);
    chunks.Run();
    Statement content(db, "DELETE FROM " + QuotedContentTable() + " WHERE Id = ?");
    content.BindInteger(1, id);
    content.Run();
}

} // namespace

// A content whose bytes do not add up to its size (a damaged file, or one
// written by another program) is nothing to share: it goes, to be kept anew.
// The lengths are the engine's record headers: no byte is read for them.
bool HasSoundContent(sqlite3* db, const std::string& sha256, long long size) {
    long long id = 0;
    long long kept = 0;
    if (!FindContent(db, sha256, id, kept)) {
        return false;
    }
    Statement bytes(db, "SELECT count(*), coalesce(sum(length(Data)), 0), coalesce(max(Part), -1)"
                        " FROM " +
                            QuotedChunksTable() + " WHERE ContentId = ?");
    bytes.BindInteger(1, id);
    bool sound = false;
    {
        StatementRun run(bytes);
        sound = bytes.Step() && kept == size && bytes.ColumnInteger(1) == size &&
                bytes.ColumnInteger(2) + 1 == bytes.ColumnInteger(0);
    }
    if (!sound) {
        DropContent(db, id);
    }
    return sound;
}

int DropUnnamedContents(sqlite3* db, const std::string* sha256) {
    std::string sql = "SELECT Id FROM " + QuotedContentTable();
    const bool refs = HasTable(db, kAttachmentRefsTable);
    if (sha256) {
        sql += " WHERE Sha256 = ?1";
    }
    if (refs) {
        sql += std::string(sha256 ? " AND" : " WHERE") + " NOT EXISTS (SELECT 1 FROM " +
               QuotedRefsTable() + " WHERE " + QuotedRefsTable() +
               ".Sha256 = " + QuotedContentTable() + ".Sha256)";
    }
    std::vector<long long> unnamed;
    {
        Statement find(db, sql);
        if (sha256) {
            find.BindText(1, *sha256);
        }
        StatementRun run(find);
        while (find.Step()) {
            unnamed.push_back(find.ColumnInteger(0));
        }
    }
    for (long long id : unnamed) {
        DropContent(db, id);
    }
    return static_cast<int>(unnamed.size());
}
