#include "db/table_cursor.h"

#include "plugin/ansi_text.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/engine_values.h"
#include "db/materialized_rows.h"
#include "db/sql_text.h"

#include "plugin/win32.h"

#include <algorithm>

namespace {

// A column whose first value is longer is read one value at a time.
constexpr size_t kShortValueBytes = 1024;
// A batch that loads more than this turns its column to single reads.
constexpr size_t kBatchBudgetBytes = 64 * 1024;

} // namespace

TableCursor::TableCursor(std::shared_ptr<DbConnection> connection, const std::string& table,
                         const std::string& clause)
    : connection_(std::move(connection)), db_(connection_->Handle()), table_(table),
      quotedTable_(QuoteIdentifier(table)), columns_(TableColumns(db_, table)) {
    for (const ColumnInfo& column : columns_) {
        ansiNames_.push_back(Utf8ToAnsi(column.name));
    }
    readers_.resize(columns_.size());

    // Without an ORDER BY the engine may answer from any index that holds
    // the rowids (a small one is much faster to read than the table with
    // its long texts); sorting restores the table's own order.
    Statement list(db_, "SELECT rowid FROM " + quotedTable_ + clause);
    {
        StatementRun run(list);
        while (list.Step()) {
            rowids_.push_back(list.ColumnInteger(0));
        }
    }
    sortedByRowid_ = !HasOrderBy(clause);
    if (sortedByRowid_) {
        std::sort(rowids_.begin(), rowids_.end());
    }
    presence_ = RowBatch(db_, quotedTable_, "", "");
    connection_->Attach(this);
}

TableCursor::~TableCursor() {
    connection_->Forget(this);
}

bool TableCursor::Walkable(DbConnection& connection, const std::string& table) {
    if (TableColumns(connection.Handle(), table).empty()) {
        // Lets the engine name the problem: no such table, or a view.
        Statement probe(connection.Handle(), "SELECT * FROM " + QuoteIdentifier(table));
        return false;
    }
    try {
        Statement probe(connection.Handle(),
                        "SELECT rowid FROM " + QuoteIdentifier(table) + " LIMIT 0");
        return true;
    } catch (const DbError&) {
        return false;
    }
}

void TableCursor::MoveFirst() {
    CancelPending();
    position_ = 0;
    SkipVanishedRows();
}

void TableCursor::MoveNext() {
    if (AtEnd()) {
        ThrowNoCurrentRecord();
    }
    CancelPending();
    ++position_;
    SkipVanishedRows();
}

void TableCursor::SkipVanishedRows() {
    while (!AtEnd() && !Present(position_)) {
        ++position_;
    }
}

bool TableCursor::Present(size_t position) {
    if (kept_.count(rowids_[position])) {
        return true;
    }
    if (!presence_.Covers(position)) {
        presence_.Fill(rowids_, position);
    }
    return presence_.Present(position);
}

bool TableCursor::Listed(long long rowid) const {
    if (sortedByRowid_) {
        return std::binary_search(rowids_.begin(), rowids_.end(), rowid);
    }
    return std::find(rowids_.begin(), rowids_.end(), rowid) != rowids_.end();
}

size_t TableCursor::ColumnIndex(const std::string& field) const {
    // Callers nearly always spell the name as it was defined; that check is
    // much cheaper than the locale's case-blind comparison.
    for (size_t i = 0; i < ansiNames_.size(); ++i) {
        if (ansiNames_[i] == field) {
            return i;
        }
    }
    for (size_t i = 0; i < ansiNames_.size(); ++i) {
        if (::lstrcmpiA(ansiNames_[i].c_str(), field.c_str()) == 0) {
            return i;
        }
    }
    ThrowNoSuchField(field);
}

FieldValue TableCursor::Read(const std::string& field) {
    const size_t column = ColumnIndex(field);
    if (pending_ != Pending::None) {
        auto written = pendingValues_.find(column);
        if (written != pendingValues_.end()) {
            return written->second;
        }
        if (pending_ == Pending::Insert) {
            return FieldValue::Null();
        }
    }
    if (AtEnd()) {
        ThrowNoCurrentRecord();
    }
    const long long rowid = rowids_[position_];
    auto kept = kept_.find(rowid);
    if (kept != kept_.end()) {
        return kept->second[column];
    }
    ColumnReader& reader = readers_[column];
    if (reader.mode == ReadMode::Batched) {
        return ReadBatched(column, position_);
    }
    FieldValue value = ReadSingle(column, rowid);
    if (reader.mode == ReadMode::Unknown) {
        // The first value tells whether the column holds short values.
        reader.mode = value.text.size() > kShortValueBytes ? ReadMode::Single : ReadMode::Batched;
    }
    return value;
}

FieldValue TableCursor::ReadSingle(size_t column, long long rowid) {
    Statement& single = readers_[column].single;
    if (!single.valid()) {
        single = Statement(db_, "SELECT " + QuoteIdentifier(columns_[column].name) + " FROM " +
                                    quotedTable_ + " WHERE rowid = ?");
    }
    StatementRun run(single);
    single.BindInteger(1, rowid);
    if (!single.Step()) {
        ThrowNoCurrentRecord(); // deleted by another connection while current
    }
    return ReadColumnValue(single, 0, columns_[column].declaredType);
}

FieldValue TableCursor::ReadBatched(size_t column, size_t position) {
    ColumnReader& reader = readers_[column];
    if (!reader.batch.Covers(position)) {
        RowBatch batch(db_, quotedTable_, QuoteIdentifier(columns_[column].name),
                       columns_[column].declaredType);
        if (batch.Fill(rowids_, position) > kBatchBudgetBytes) {
            // Long values after all: keep this run, read the rest singly.
            reader.mode = ReadMode::Single;
        }
        reader.batch = std::move(batch);
    }
    if (!reader.batch.Present(position)) {
        ThrowNoCurrentRecord();
    }
    return reader.batch.Value(position);
}

void TableCursor::ForgetReadValues() {
    for (ColumnReader& reader : readers_) {
        reader.batch.Clear();
    }
}

std::vector<FieldValue> TableCursor::ReadWholeRow(long long rowid) {
    std::string list;
    for (const ColumnInfo& column : columns_) {
        list += (list.empty() ? "" : ", ") + QuoteIdentifier(column.name);
    }
    Statement read(db_, "SELECT " + list + " FROM " + quotedTable_ + " WHERE rowid = ?");
    StatementRun run(read);
    read.BindInteger(1, rowid);
    std::vector<FieldValue> row;
    if (read.Step()) {
        for (size_t i = 0; i < columns_.size(); ++i) {
            row.push_back(ReadColumnValue(read, static_cast<int>(i), columns_[i].declaredType));
        }
    }
    return row;
}

void TableCursor::RowsDeleting(const std::string& table, const std::vector<long long>& rowids) {
    if (!ReadsTable(table)) {
        return;
    }
    for (long long rowid : rowids) {
        if (Listed(rowid) && !kept_.count(rowid)) {
            std::vector<FieldValue> row = ReadWholeRow(rowid);
            if (!row.empty()) {
                kept_.emplace(rowid, std::move(row));
            }
        }
    }
}

bool TableCursor::ReadsTable(const std::string& table) const {
    return attached_ && SameName(table, table_);
}

void TableCursor::BeginInsert() {
    pending_ = Pending::Insert;
    pendingValues_.clear();
}

void TableCursor::Write(const std::string& field, const FieldValue& value) {
    const size_t column = ColumnIndex(field);
    if (pending_ == Pending::None) {
        if (AtEnd()) {
            ThrowNoCurrentRecord();
        }
        pending_ = Pending::Change;
    }
    pendingValues_[column] = value;
}

void TableCursor::SavePending() {
    if (pending_ == Pending::Insert) {
        InsertPending();
    } else if (pending_ == Pending::Change) {
        ChangeCurrent();
    }
    CancelPending();
}

void TableCursor::InsertPending() {
    std::string names, places;
    for (const auto& written : pendingValues_) {
        names += (names.empty() ? "" : ", ") + QuoteIdentifier(columns_[written.first].name);
        places += places.empty() ? "?" : ", ?";
    }
    Statement insert(db_, names.empty() ? "INSERT INTO " + quotedTable_ + " DEFAULT VALUES"
                                        : "INSERT INTO " + quotedTable_ + " (" + names +
                                              ") VALUES (" + places + ")");
    int index = 1;
    for (const auto& written : pendingValues_) {
        BindValue(insert, index++, written.second);
    }
    insert.Run();
    // The new row joins the snapshot and becomes the current row.
    const long long rowid = sqlite3_last_insert_rowid(db_);
    if (!rowids_.empty() && rowid < rowids_.back()) {
        sortedByRowid_ = false;
    }
    rowids_.push_back(rowid);
    position_ = rowids_.size() - 1;
    presence_.Clear();
}

void TableCursor::ChangeCurrent() {
    if (AtEnd()) {
        ThrowNoCurrentRecord();
    }
    std::string assignments;
    for (const auto& written : pendingValues_) {
        assignments += (assignments.empty() ? "" : ", ") +
                       QuoteIdentifier(columns_[written.first].name) + " = ?";
    }
    Statement change(db_, "UPDATE " + quotedTable_ + " SET " + assignments + " WHERE rowid = ?");
    int index = 1;
    for (const auto& written : pendingValues_) {
        BindValue(change, index++, written.second);
    }
    change.BindInteger(index, rowids_[position_]);
    change.Run();
    ForgetReadValues();
}

void TableCursor::CancelPending() {
    pending_ = Pending::None;
    pendingValues_.clear();
}

void TableCursor::Detach() {
    readers_.clear();
    presence_ = RowBatch();
    attached_ = false;
    CancelPending();
}
