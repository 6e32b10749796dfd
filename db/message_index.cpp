#include "db/message_index.h"

#include "db/db_error.h"
#include "db/index_schema.h"
#include "base/ansi_text.h"
#include "base/system_error.h"
#include "base/win32.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

// Entries are ordered by their ids, the minute of their date: messages of
// one minute take the next free ids after it. Ids this close together keep
// the words table small, which stores each word's ids as their differences.
constexpr long long kSecondsPerId = 60;
// A task's update waits this long for another program's catch-up slice;
// longer, and it is better marked behind than holding up the task.
constexpr int kBusyMilliseconds = 500;
// Words held for the words table before they are written in order.
constexpr size_t kPendingWordBytes = 16 << 20;
// Fewer stale words cost a query nothing worth a rebuild.
constexpr long long kStaleWorthClearing = 10000;

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw EngineError(db);
    }
}

bool SaysDamaged(sqlite3* db) {
    const int code = sqlite3_errcode(db) & 0xFF;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

UniqueSqlite OpenIndexFile(const std::string& path) {
    sqlite3* opened = nullptr;
    const int result = sqlite3_open_v2(AnsiToUtf8(path).c_str(), &opened,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    UniqueSqlite db(opened);
    if (result != SQLITE_OK) {
        throw EngineError(db.get());
    }
    sqlite3_busy_timeout(db.get(), kBusyMilliseconds);
    return db;
}

// A journal left beside a file set aside is that file's: rolled into a new
// index, it would damage it.
void SetAside(const std::string& path, const std::string& badPath) {
    if (!::MoveFileExA(path.c_str(), badPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            throw DbError(HRESULT_FROM_WIN32(error), kJetProvider,
                          "The search index " + path +
                              " cannot be set aside: " + SystemMessageText(error));
        }
    }
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        ::DeleteFileA((path + suffix).c_str());
    }
}

} // namespace

std::unique_ptr<MessageIndex> MessageIndex::Open(const std::string& archivePath,
                                                 std::string& notice, bool setAside) {
    notice.clear();
    const std::string path = IndexPathFor(archivePath);
    const std::string badPath = path + ".bad";
    std::string problem = setAside ? "it is damaged" : "";
    for (int attempt = 0;; ++attempt) {
        if (!problem.empty()) {
            if (attempt > 1) {
                throw DbError(db_code::kUnspecified, kJetProvider,
                              "The search index " + path + " cannot be made: " + problem);
            }
            SetAside(path, badPath);
            notice = "The search index " + path + " was set aside as " + badPath + " (" + problem +
                     ") and is made again from the archive.";
            problem.clear();
        }
        UniqueSqlite db = OpenIndexFile(path);
        try {
            switch (ReadIndexFileKind(db.get())) {
            case IndexFileKind::kEmpty:
                CreateIndexSchema(db.get());
                [[fallthrough]];
            case IndexFileKind::kOurs:
                SetIndexConnectionOptions(db.get());
                return std::unique_ptr<MessageIndex>(
                    new MessageIndex(archivePath, path, std::move(db)));
            case IndexFileKind::kOtherVersion:
                problem = "it was made by another version";
                break;
            case IndexFileKind::kForeign:
                problem = "it is not a search index";
                break;
            }
        } catch (const DbError& error) {
            if (!SaysDamaged(db.get())) {
                throw;
            }
            problem = error.description();
        }
    }
}

MessageIndex::MessageIndex(std::string archivePath, std::string path, UniqueSqlite db)
    : archivePath_(std::move(archivePath)), path_(std::move(path)), db_(std::move(db)) {}

MessageIndex::~MessageIndex() = default;

bool MessageIndex::IsDamaged() const {
    return SaysDamaged(db_.get());
}

Statement& MessageIndex::Prepared(Statement& statement, const char* sql) {
    if (!statement.valid()) {
        statement = Statement(db_.get(), sql);
    }
    return statement;
}

MessageIndex::Transaction::Transaction(MessageIndex& index) : index_(index) {
    Exec(index_.db_.get(), "BEGIN IMMEDIATE");
}

MessageIndex::Transaction::~Transaction() {
    if (open_) {
        sqlite3_exec(index_.db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        index_.lastIds_.clear();
        index_.pendingWords_.clear();
        index_.pendingBytes_ = 0;
    }
}

void MessageIndex::Transaction::Commit() {
    index_.FlushWords();
    Exec(index_.db_.get(), "COMMIT");
    open_ = false;
    index_.lastIds_.clear();
}

namespace {

const char* const kSelectTables = "SELECT id, name, row_count, last_place, last_id, behind, "
                                  "scanned_to, entry_count FROM index_tables";

IndexedTable TableOf(const Statement& select) {
    IndexedTable table;
    table.id = select.ColumnInteger(0);
    table.name = select.ColumnBytes(1);
    table.stamp =
        TableStamp{select.ColumnInteger(2), select.ColumnInteger(3), select.ColumnInteger(4)};
    table.behind = select.ColumnInteger(5) != 0;
    table.scannedTo = select.ColumnInteger(6);
    table.entries = select.ColumnInteger(7);
    return table;
}

} // namespace

std::vector<IndexedTable> MessageIndex::Tables() {
    Statement select(db_.get(), std::string(kSelectTables) + " ORDER BY id");
    StatementRun run(select);
    std::vector<IndexedTable> tables;
    while (select.Step()) {
        tables.push_back(TableOf(select));
    }
    return tables;
}

IndexedTable MessageIndex::Table(long long tableId) {
    Statement select(db_.get(), std::string(kSelectTables) + " WHERE id = ?");
    select.BindInteger(1, tableId);
    StatementRun run(select);
    if (!select.Step()) {
        throw DbError(db_code::kItemNotFound, kJetProvider, "The search index lost a table.");
    }
    return TableOf(select);
}

long long MessageIndex::LastPlace(long long tableId) {
    Statement select(db_.get(), "SELECT max(place) FROM index_entries WHERE table_id = ?");
    select.BindInteger(1, tableId);
    StatementRun run(select);
    return select.Step() ? select.ColumnInteger(0) : 0;
}

long long MessageIndex::TableId(const std::string& tableUtf8, bool* added) {
    Statement insert(db_.get(), "INSERT OR IGNORE INTO index_tables(name) VALUES(?)");
    insert.BindText(1, tableUtf8);
    insert.Run();
    if (added) {
        *added = sqlite3_changes(db_.get()) > 0;
    }
    Statement select(db_.get(), "SELECT id FROM index_tables WHERE name = ?");
    select.BindText(1, tableUtf8);
    StatementRun run(select);
    if (!select.Step()) {
        throw EngineError(db_.get());
    }
    return select.ColumnInteger(0);
}

void MessageIndex::DropTable(long long tableId) {
    Statement retire(db_.get(), "INSERT OR IGNORE INTO index_retired(doc) "
                                "SELECT doc FROM index_entries WHERE table_id = ?");
    retire.BindInteger(1, tableId);
    retire.Run();
    Statement entries(db_.get(), "DELETE FROM index_entries WHERE table_id = ?");
    entries.BindInteger(1, tableId);
    entries.Run();
    Statement table(db_.get(), "DELETE FROM index_tables WHERE id = ?");
    table.BindInteger(1, tableId);
    table.Run();
}

void MessageIndex::Add(long long tableId, const IndexDocument& document) {
    Remove(tableId, document.place);
    const long long doc = FreeId(std::max(document.dateKey, 0LL) / kSecondsPerId);
    Statement& entry =
        Prepared(insertEntry_, "INSERT INTO index_entries(doc, table_id, place, row_id, size, "
                               "date_text, sender, subject) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    entry.BindInteger(1, doc);
    entry.BindInteger(2, tableId);
    entry.BindInteger(3, document.place);
    entry.BindInteger(4, document.rowId);
    entry.BindInteger(5, document.size);
    entry.BindText(6, document.dateText);
    entry.BindText(7, document.sender);
    entry.BindText(8, document.subject);
    entry.Run();

    std::string words;
    words.reserve(document.sender.size() + document.recipients.size() + document.subject.size() +
                  document.body.size() + 4);
    for (const std::string* part :
         {&document.sender, &document.recipients, &document.subject, &document.body}) {
        words += *part;
        words += '\n';
    }
    pendingBytes_ += words.size();
    pendingWords_.emplace_back(doc, std::move(words));
    if (pendingBytes_ > kPendingWordBytes) {
        FlushWords();
    }

    Statement& count =
        Prepared(addCount_, "UPDATE index_tables SET entry_count = entry_count + ? WHERE id = ?");
    count.BindInteger(1, 1);
    count.BindInteger(2, tableId);
    count.Run();
}

// The first id from `wanted` on that no entry has. Within a transaction
// the ids given out are remembered, so a run of messages of one minute (or
// undated ones, all at 0) is walked once, not once for each.
long long MessageIndex::FreeId(long long wanted) {
    const auto given = lastIds_.find(wanted);
    long long id = given == lastIds_.end() ? wanted : given->second + 1;
    Statement& entries =
        Prepared(takenIds_, "SELECT doc FROM index_entries WHERE doc >= ? ORDER BY doc");
    Statement& retired =
        Prepared(retiredIds_, "SELECT doc FROM index_retired WHERE doc >= ? ORDER BY doc");
    entries.BindInteger(1, id);
    retired.BindInteger(1, id);
    StatementRun entriesRun(entries);
    StatementRun retiredRun(retired);
    // Both runs ascend; the id moves on while either holds it.
    long long entry = entries.Step() ? entries.ColumnInteger(0) : -1;
    long long old = retired.Step() ? retired.ColumnInteger(0) : -1;
    while (entry == id || old == id) {
        ++id;
        while (entry >= 0 && entry < id) {
            entry = entries.Step() ? entries.ColumnInteger(0) : -1;
        }
        while (old >= 0 && old < id) {
            old = retired.Step() ? retired.ColumnInteger(0) : -1;
        }
    }
    lastIds_[wanted] = id;
    return id;
}

// The words table keeps what it is given in memory until its ids come out
// of order, and then writes them out as a segment of its own: given one
// message at a time in the order of dates, it would write a segment for
// almost each, and spend its time merging them.
void MessageIndex::FlushWords() {
    std::sort(pendingWords_.begin(), pendingWords_.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    Statement& insertWords =
        Prepared(insertWords_, "INSERT INTO index_words(rowid, words) VALUES(?, ?)");
    for (const auto& [doc, words] : pendingWords_) {
        insertWords.BindInteger(1, doc);
        insertWords.BindText(2, words);
        insertWords.Run();
    }
    pendingWords_.clear();
    pendingBytes_ = 0;
}

void MessageIndex::Remove(long long tableId, long long place) {
    Statement& find =
        Prepared(findEntry_, "SELECT doc FROM index_entries WHERE table_id = ? AND place = ?");
    find.BindInteger(1, tableId);
    find.BindInteger(2, place);
    long long doc = 0;
    {
        StatementRun run(find);
        if (!find.Step()) {
            return;
        }
        doc = find.ColumnInteger(0);
    }
    Statement& retire = Prepared(retire_, "INSERT OR IGNORE INTO index_retired(doc) VALUES(?)");
    retire.BindInteger(1, doc);
    retire.Run();
    Statement& remove =
        Prepared(deleteEntry_, "DELETE FROM index_entries WHERE table_id = ? AND place = ?");
    remove.BindInteger(1, tableId);
    remove.BindInteger(2, place);
    remove.Run();
    Statement& count =
        Prepared(addCount_, "UPDATE index_tables SET entry_count = entry_count + ? WHERE id = ?");
    count.BindInteger(1, -1);
    count.BindInteger(2, tableId);
    count.Run();
}

std::vector<RowKey> MessageIndex::Rows(long long tableId, long long after, long long upTo) {
    Statement& select =
        Prepared(findPlace_, "SELECT place, row_id FROM index_entries WHERE table_id = ? AND "
                             "place > ? AND place <= ? ORDER BY place");
    select.BindInteger(1, tableId);
    select.BindInteger(2, after);
    select.BindInteger(3, upTo);
    StatementRun run(select);
    std::vector<RowKey> rows;
    while (select.Step()) {
        rows.push_back(RowKey{select.ColumnInteger(0), select.ColumnInteger(1)});
    }
    return rows;
}

void MessageIndex::SetCurrent(long long tableId, const TableStamp& stamp) {
    Statement update(db_.get(), "UPDATE index_tables SET row_count = ?, last_place = ?, "
                                "last_id = ?, behind = 0, scanned_to = 0 WHERE id = ?");
    update.BindInteger(1, stamp.rows);
    update.BindInteger(2, stamp.lastPlace);
    update.BindInteger(3, stamp.lastId);
    update.BindInteger(4, tableId);
    update.Run();
}

void MessageIndex::MarkBehind(long long tableId) {
    Statement update(db_.get(), "UPDATE index_tables SET behind = 1 WHERE id = ?");
    update.BindInteger(1, tableId);
    update.Run();
}

void MessageIndex::SetScannedTo(long long tableId, long long place) {
    Statement update(db_.get(), "UPDATE index_tables SET scanned_to = ? WHERE id = ?");
    update.BindInteger(1, place);
    update.BindInteger(2, tableId);
    update.Run();
}

long long MessageIndex::StaleEntries() {
    Statement count(db_.get(), "SELECT count(*) FROM index_retired");
    StatementRun run(count);
    return count.Step() ? count.ColumnInteger(0) : 0;
}

bool MessageIndex::ClearWhenMostlyStale() {
    const long long stale = StaleEntries();
    if (stale < kStaleWorthClearing) {
        return false;
    }
    Statement live(db_.get(), "SELECT total(entry_count) FROM index_tables");
    StatementRun run(live);
    if (!live.Step() || stale <= live.ColumnInteger(0)) {
        return false;
    }
    live.Reset();
    Clear();
    return true;
}

void MessageIndex::Clear() {
    Exec(db_.get(), "INSERT INTO index_words(index_words) VALUES('delete-all')");
    Exec(db_.get(), "DELETE FROM index_entries");
    Exec(db_.get(), "UPDATE index_tables SET behind = 1, scanned_to = 0, entry_count = 0");
    Exec(db_.get(), "DELETE FROM index_retired");
}
