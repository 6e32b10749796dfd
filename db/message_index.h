// The full-text index beside an archive (index_schema.h): opening it, or
// setting a damaged or foreign file aside and starting anew; its entries,
// one per archived message, added and removed a transaction at a time; and
// what it knows of each archive table, to tell when it is behind.
// Every failure is a DbError; the index never touches the archive itself.
#pragma once

#include "db/sqlite_handles.h"
#include "db/sqlite_statement.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One archived message as the index takes it: decoded already, in UTF-8.
struct IndexDocument {
    long long place = 0;   // the row's rowid in its table
    long long rowId = 0;   // its id column
    long long dateKey = 0; // sorts as the dates do; 0 for none
    int size = 0;
    // What a list of results shows.
    std::string dateText;
    std::string sender;
    std::string subject;
    // What is searched besides the sender and subject.
    std::string recipients;
    std::string body;
};

// What the index last saw of an archive table: rows are only ever added
// (with rowids above the last) or deleted, so a table whose count, last
// rowid and the id of its last row are unchanged holds the rows indexed.
struct TableStamp {
    long long rows = 0;
    long long lastPlace = 0;
    long long lastId = 0;
    bool operator==(const TableStamp& other) const {
        return rows == other.rows && lastPlace == other.lastPlace && lastId == other.lastId;
    }
    bool operator!=(const TableStamp& other) const { return !(*this == other); }
};

// A row as a catch-up compares it: a place that holds another id holds
// another message (the archive file was replaced, say).
struct RowKey {
    long long place = 0;
    long long id = 0;
    bool operator<(const RowKey& other) const {
        return place != other.place ? place < other.place : id < other.id;
    }
    bool operator==(const RowKey& other) const { return place == other.place && id == other.id; }
};

struct IndexedTable {
    long long id = 0;
    std::string name; // UTF-8, as the archive names it
    TableStamp stamp;
    // Marked after an update that failed, and until a catch-up is through.
    bool behind = true;
    // Rows up to this rowid agree with the archive in the catch-up under way.
    long long scannedTo = 0;
    long long entries = 0;
};

class MessageIndex {
public:
    // The index of the archive at `archivePath` (ANSI), made when missing.
    // A file that is not an index of this version, or that cannot be read,
    // is renamed to ".bad" (replacing an older one) and a new one made;
    // `notice` then holds a line for the log, else it is emptied. With
    // `setAside` the present file goes in any case (it was found damaged).
    // Throws DbError when no index can be had.
    static std::unique_ptr<MessageIndex> Open(const std::string& archivePath, std::string& notice,
                                              bool setAside = false);

    const std::string& archivePath() const { return archivePath_; }
    const std::string& path() const { return path_; }
    sqlite3* handle() const { return db_.get(); }
    // Whether the last failure said the file is damaged.
    bool IsDamaged() const;

    // One write transaction; rolled back unless committed.
    class Transaction {
    public:
        explicit Transaction(MessageIndex& index);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void Commit();

    private:
        MessageIndex& index_;
        bool open_ = true;
    };

    std::vector<IndexedTable> Tables();
    // The table's id, adding it (behind) when the index does not know it;
    // `added` tells which.
    long long TableId(const std::string& tableUtf8, bool* added = nullptr);
    IndexedTable Table(long long tableId);
    // The highest place the index holds for the table; 0 for none.
    long long LastPlace(long long tableId);
    // The table and every entry of it go.
    void DropTable(long long tableId);

    // An entry already at the document's place is replaced.
    void Add(long long tableId, const IndexDocument& document);
    void Remove(long long tableId, long long place);
    // The rows the index holds for the table in (after, upTo], ascending.
    std::vector<RowKey> Rows(long long tableId, long long after, long long upTo);

    // The table agrees with the archive as `stamp` says.
    void SetCurrent(long long tableId, const TableStamp& stamp);
    void MarkBehind(long long tableId);
    void SetScannedTo(long long tableId, long long place);

    // Entries whose message left while their words stayed: the words table
    // keeps no text to remove them by. Queries pass over them.
    long long StaleEntries();
    // Empties the index when stale words outnumber the live entries, so a
    // catch-up makes it again; true when it did.
    bool ClearWhenMostlyStale();

    ~MessageIndex();
    MessageIndex(const MessageIndex&) = delete;
    MessageIndex& operator=(const MessageIndex&) = delete;

private:
    MessageIndex(std::string archivePath, std::string path, UniqueSqlite db);
    Statement& Prepared(Statement& statement, const char* sql);
    void Clear();
    void FlushWords();
    long long FreeId(long long wanted);

    std::string archivePath_;
    std::string path_;
    UniqueSqlite db_;
    std::map<long long, long long> lastIds_;
    std::vector<std::pair<long long, std::string>> pendingWords_;
    size_t pendingBytes_ = 0;
    Statement insertEntry_, insertWords_, findPlace_, deleteEntry_, takenIds_, addCount_,
        retiredIds_, findEntry_, retire_;
};
