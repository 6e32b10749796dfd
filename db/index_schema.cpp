#include "db/index_schema.h"

#include "db/db_error.h"
#include "db/sqlite_statement.h"

#include <sqlite3.h>

namespace {

long long PragmaValue(sqlite3* db, const char* pragma) {
    Statement statement(db, std::string("PRAGMA ") + pragma);
    StatementRun run(statement);
    return statement.Step() ? statement.ColumnInteger(0) : 0;
}

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw EngineError(db);
    }
}

// Each archive table the index knows, with the stamp of the archive table
// it last agreed with, whether it is behind, and how far a catch-up got.
// Each message is one entry, kept in the order of its table and place, as
// a catch-up adds them, under an id that orders entries by date (see
// MessageIndex::Add), shared with its words in the full-text table. The ids
// of entries removed are retired: their words stay in the words table,
// which keeps no text to remove them by, and must never match a new entry.
// The words keep no text of their own (content=''), no positions and no
// column sizes: a query asks only which messages hold every word.
const char* const kSchema = R"(
CREATE TABLE index_tables(
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE,
    row_count INTEGER NOT NULL DEFAULT 0,
    last_place INTEGER NOT NULL DEFAULT 0,
    last_id INTEGER NOT NULL DEFAULT 0,
    behind INTEGER NOT NULL DEFAULT 1,
    scanned_to INTEGER NOT NULL DEFAULT 0,
    entry_count INTEGER NOT NULL DEFAULT 0);
CREATE TABLE index_entries(
    table_id INTEGER NOT NULL,
    place INTEGER NOT NULL,
    doc INTEGER NOT NULL,
    row_id INTEGER NOT NULL,
    size INTEGER NOT NULL,
    date_text TEXT NOT NULL,
    sender TEXT NOT NULL,
    subject TEXT NOT NULL,
    PRIMARY KEY(table_id, place)) WITHOUT ROWID;
CREATE UNIQUE INDEX index_entries_doc ON index_entries(doc);
CREATE TABLE index_retired(doc INTEGER PRIMARY KEY);
CREATE VIRTUAL TABLE index_words USING fts5(words, content='', detail=none, columnsize=0,
    tokenize='unicode61 remove_diacritics 2');
INSERT INTO index_words(index_words, rank) VALUES('automerge', 16);
)";

} // namespace

std::string IndexPathFor(const std::string& archivePath) {
    const size_t slash = archivePath.find_last_of("\\/");
    const size_t dot = archivePath.find_last_of('.');
    const bool extension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (extension ? archivePath.substr(0, dot) : archivePath) + ".index";
}

IndexFileKind ReadIndexFileKind(sqlite3* db) {
    const long long tables = [&] {
        Statement count(db, "SELECT count(*) FROM sqlite_master");
        StatementRun run(count);
        return count.Step() ? count.ColumnInteger(0) : 0;
    }();
    const long long application = PragmaValue(db, "application_id");
    if (tables == 0 && application == 0) {
        return IndexFileKind::kEmpty;
    }
    if (application != kIndexApplicationId) {
        return IndexFileKind::kForeign;
    }
    if (PragmaValue(db, "user_version") != kIndexVersion) {
        return IndexFileKind::kOtherVersion;
    }
    Statement names(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                        "('index_tables', 'index_entries', 'index_retired', 'index_words')");
    StatementRun run(names);
    return names.Step() && names.ColumnInteger(0) == 4 ? IndexFileKind::kOurs
                                                       : IndexFileKind::kForeign;
}

void CreateIndexSchema(sqlite3* db) {
    Exec(db, "BEGIN IMMEDIATE");
    try {
        Exec(db, kSchema);
        Exec(db, ("PRAGMA application_id = " + std::to_string(kIndexApplicationId)).c_str());
        Exec(db, ("PRAGMA user_version = " + std::to_string(kIndexVersion)).c_str());
        Exec(db, "COMMIT");
    } catch (const DbError&) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void SetIndexConnectionOptions(sqlite3* db) {
    Exec(db, "PRAGMA synchronous = OFF");
    Exec(db, "PRAGMA journal_mode = TRUNCATE");
    Exec(db, "PRAGMA cache_size = -8192");
    Exec(db, "CREATE VIRTUAL TABLE IF NOT EXISTS temp.index_vocabulary "
             "USING fts5vocab(main, index_words, row)");
}
