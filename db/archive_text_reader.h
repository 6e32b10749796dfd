// The archive as the full-text index reads it: through a connection of its
// own that can only read, a short read transaction at a time, so that a task
// writing to the archive is never held up for long and the index can never
// change it.
#pragma once

#include "db/message_index.h"
#include "db/sqlite_handles.h"

#include <functional>
#include <string>
#include <vector>

struct ArchiveTableState {
    std::string name; // UTF-8
    TableStamp stamp;
};

// One row's stored texts, in UTF-8.
struct ArchivedRowTexts {
    long long place = 0;
    long long id = 0;
    int size = 0;
    std::string from, to, subject, date, message;
};

class ArchiveTextReader {
public:
    // Throws DbError when the file cannot be opened or is no SQLite archive.
    explicit ArchiveTextReader(const std::string& archivePath);

    // Everything read while one lives sees one state of the file; it holds
    // only a read lock, which a writer waits for a moment at most.
    class Snapshot {
    public:
        explicit Snapshot(ArchiveTextReader& reader);
        ~Snapshot();
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

    private:
        sqlite3* db_;
    };

    // The archive tables ("Mailbox_" names) that have rowids, with their
    // stamps. Throws DbError.
    std::vector<ArchiveTableState> Tables();
    // None (no rows) when the table is gone. Throws DbError.
    TableStamp Stamp(const std::string& tableUtf8);
    // Whether the table only gained rows above those `before` counted
    // since: the same rows up to its last place, and the same last row.
    // Throws DbError.
    bool OnlyGrew(const std::string& tableUtf8, const TableStamp& before, const TableStamp& now);
    // Up to `limit` rows after the place `after`, ascending. Throws DbError.
    std::vector<RowKey> Rows(const std::string& tableUtf8, long long after, int limit);
    // The rows at `places` (ascending) that are there, in that order; a
    // place without a row is passed over. Throws DbError.
    void ReadRows(const std::string& tableUtf8, const std::vector<long long>& places,
                  const std::function<void(const ArchivedRowTexts&)>& each);

private:
    std::string SelectRowsSql(const std::string& tableUtf8);
    // The column as SQL, or NULL when a table made elsewhere lacks it.
    std::string Column(const std::string& tableUtf8, const char* column);

    UniqueSqlite db_;
    ArchivedRowTexts row_;
};
