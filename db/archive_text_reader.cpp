#include "db/archive_text_reader.h"

#include "db/archive_schema.h"
#include "db/db_error.h"
#include "db/mailbox_table_name.h"
#include "db/sql_text.h"
#include "db/sqlite_statement.h"
#include "base/ansi_text.h"

#include <sqlite3.h>

namespace {

// A task's commit holds the file for a moment; a read waits that out.
constexpr int kBusyMilliseconds = 2000;

// Stored text as UTF-8; code-page bytes the file keeps as a BLOB are
// converted, and anything else reads as empty.
void ReadText(const Statement& statement, int column, std::string& text) {
    switch (statement.ColumnType(column)) {
    case SQLITE_TEXT: {
        const std::string_view view = statement.ColumnView(column);
        text.assign(view.data(), view.size());
        break;
    }
    case SQLITE_BLOB:
        text = AnsiToUtf8(statement.ColumnBytes(column));
        break;
    default:
        text.clear();
    }
}

} // namespace

ArchiveTextReader::ArchiveTextReader(const std::string& archivePath) {
    sqlite3* opened = nullptr;
    const int result =
        sqlite3_open_v2(AnsiToUtf8(archivePath).c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
    db_.reset(opened);
    if (result != SQLITE_OK) {
        throw EngineError(db_.get());
    }
    sqlite3_busy_timeout(db_.get(), kBusyMilliseconds);
    if (sqlite3_exec(db_.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        throw EngineError(db_.get());
    }
}

ArchiveTextReader::Snapshot::Snapshot(ArchiveTextReader& reader) : db_(reader.db_.get()) {
    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw EngineError(db_);
    }
}

ArchiveTextReader::Snapshot::~Snapshot() {
    if (!sqlite3_get_autocommit(db_)) {
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    }
}

std::vector<ArchiveTableState> ArchiveTextReader::Tables() {
    std::vector<std::string> names;
    {
        Statement select(db_.get(), "SELECT name FROM sqlite_master WHERE type = 'table' "
                                    "AND sql NOT LIKE '%WITHOUT ROWID%' ORDER BY name");
        StatementRun run(select);
        while (select.Step()) {
            std::string name = select.ColumnBytes(0);
            if (IsArchiveTableName(name)) {
                names.push_back(std::move(name));
            }
        }
    }
    std::vector<ArchiveTableState> tables;
    for (std::string& name : names) {
        const TableStamp stamp = Stamp(name);
        tables.push_back(ArchiveTableState{std::move(name), stamp});
    }
    return tables;
}

TableStamp ArchiveTextReader::Stamp(const std::string& tableUtf8) {
    const std::string table = QuoteIdentifier(tableUtf8);
    TableStamp stamp;
    {
        // Alone in its statement the count is taken from the smallest index
        // (the id index, where the table has one) without reading the rows.
        Statement count(db_.get(), "SELECT count(*) FROM " + table);
        StatementRun run(count);
        if (!count.Step()) {
            return stamp;
        }
        stamp.rows = count.ColumnInteger(0);
    }
    {
        Statement last(db_.get(), "SELECT max(rowid) FROM " + table);
        StatementRun run(last);
        stamp.lastPlace = last.Step() ? last.ColumnInteger(0) : 0;
    }
    try {
        Statement last(db_.get(), "SELECT id FROM " + table + " WHERE rowid = ?");
        last.BindInteger(1, stamp.lastPlace);
        StatementRun run(last);
        stamp.lastId = last.Step() ? last.ColumnInteger(0) : 0;
    } catch (const DbError&) {
        // A table made elsewhere without an id: the count and rowid tell.
    }
    return stamp;
}

// The rows above the old last place are the only ones read, and the count
// of the rest follows from the whole count, which the id index gives.
bool ArchiveTextReader::OnlyGrew(const std::string& tableUtf8, const TableStamp& before,
                                 const TableStamp& now) {
    if (before.rows == 0 || now.rows < before.rows || now.lastPlace < before.lastPlace) {
        return false;
    }
    const std::string table = QuoteIdentifier(tableUtf8);
    Statement above(db_.get(), "SELECT count(*) FROM " + table + " WHERE rowid > ?");
    above.BindInteger(1, before.lastPlace);
    StatementRun aboveRun(above);
    if (!above.Step() || now.rows - above.ColumnInteger(0) != before.rows) {
        return false;
    }
    Statement last(db_.get(), "SELECT id FROM " + table + " WHERE rowid = ?");
    last.BindInteger(1, before.lastPlace);
    StatementRun lastRun(last);
    return last.Step() && last.ColumnInteger(0) == before.lastId;
}

std::vector<RowKey> ArchiveTextReader::Rows(const std::string& tableUtf8, long long after,
                                            int limit) {
    Statement select(db_.get(), "SELECT rowid, " + Column(tableUtf8, mailbox_column::kId) +
                                    " FROM " + QuoteIdentifier(tableUtf8) +
                                    " WHERE rowid > ? ORDER BY rowid LIMIT ?");
    select.BindInteger(1, after);
    select.BindInteger(2, limit);
    StatementRun run(select);
    std::vector<RowKey> rows;
    while (select.Step()) {
        rows.push_back(RowKey{select.ColumnInteger(0), select.ColumnInteger(1)});
    }
    return rows;
}

std::string ArchiveTextReader::Column(const std::string& tableUtf8, const char* column) {
    Statement info(db_.get(), "SELECT 1 FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE");
    info.BindText(1, tableUtf8);
    info.BindText(2, column);
    StatementRun run(info);
    return info.Step() ? QuoteIdentifier(column) : "NULL";
}

// A table made elsewhere may lack a column; it reads as empty.
std::string ArchiveTextReader::SelectRowsSql(const std::string& tableUtf8) {
    using namespace mailbox_column;
    std::string sql = "SELECT rowid";
    for (const char* column : {kId, kFrom, kTo, kSubject, kDate, kSize, kMessage}) {
        sql += ", " + Column(tableUtf8, column);
    }
    return sql + " FROM " + QuoteIdentifier(tableUtf8) +
           " WHERE rowid >= ? AND rowid <= ? ORDER BY rowid";
}

void ArchiveTextReader::ReadRows(const std::string& tableUtf8, const std::vector<long long>& places,
                                 const std::function<void(const ArchivedRowTexts&)>& each) {
    if (places.empty()) {
        return;
    }
    Statement select(db_.get(), SelectRowsSql(tableUtf8));
    select.BindInteger(1, places.front());
    select.BindInteger(2, places.back());
    StatementRun run(select);
    size_t next = 0;
    while (next < places.size() && select.Step()) {
        const long long place = select.ColumnInteger(0);
        while (next < places.size() && places[next] < place) {
            ++next;
        }
        if (next == places.size() || places[next] != place) {
            // Not asked for: its texts are never read from the file.
            continue;
        }
        row_.place = place;
        row_.id = select.ColumnInteger(1);
        ReadText(select, 2, row_.from);
        ReadText(select, 3, row_.to);
        ReadText(select, 4, row_.subject);
        ReadText(select, 5, row_.date);
        row_.size = static_cast<int>(select.ColumnInteger(6));
        ReadText(select, 7, row_.message);
        each(row_);
        ++next;
    }
}
