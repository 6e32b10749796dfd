#include "db/table_cursor.h"

#include "base/ansi_text.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/engine_values.h"
#include "db/materialized_rows.h"
#include "db/sql_text.h"

#include "base/win32.h"

#include <algorithm>

namespace {

// A column whose first value is longer is read one value at a time.
constexpr size_t kShortValueBytes = 1024;

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
    // A kept row is needed only until the walk has passed it.
    kept_.erase(rowids_[position_]);
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

std::optional<size_t> TableCursor::PositionOf(long long rowid) const {
    const auto found = sortedByRowid_ ? std::lower_bound(rowids_.begin(), rowids_.end(), rowid)
                                      : std::find(rowids_.begin(), rowids_.end(), rowid);
    if (found == rowids_.end() || *found != rowid) {
        return std::nullopt;
    }
    return static_cast<size_t>(found - rowids_.begin());
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
        // Making the statement costs more than running it: it is made once.
        if (!reader.batch.Prepared()) {
            reader.batch = RowBatch(db_, quotedTable_, QuoteIdentifier(columns_[column].name),
                                    columns_[column].declaredType);
        }
        reader.batch.Fill(rowids_, position);
    }
    if (!reader.batch.Present(position)) {
        ThrowNoCurrentRecord();
    }
    // A run holds short values only; a long one among them is read alone.
    if (reader.batch.IsLong(position)) {
        return ReadSingle(column, rowids_[position]);
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

// Only rows the walk has still to reach are kept: a walk that deletes as it
// goes (the restore task) deletes rows it has passed, and keeping those
// would hold every message it restored.
void TableCursor::RowsDeleting(const std::string& table, const std::vector<long long>& rowids) {
    if (!ReadsTable(table)) {
        return;
    }
    for (long long rowid : rowids) {
        const std::optional<size_t> position = PositionOf(rowid);
        if (position && *position >= position_ && !kept_.count(rowid)) {
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
    try {
        if (pending_ == Pending::Insert) {
            InsertPending();
        } else if (pending_ == Pending::Change) {
            ChangeCurrent();
        }
    } catch (const DbError&) {
        connection_->NoteWriteFailure();
        throw;
    }
    CancelPending();
}

void TableCursor::InsertPending() {
    std::string names, places;
    for (const auto& written : pendingValues_) {
        names += (names.empty() ? "" : ", ") + QuoteIdentifier(columns_[written.first].name);
        places += places.empty() ? "?" : ", ?";
    }
    // Rows are written with the same columns one after another: the
    // statement is prepared once for them.
    if (!insert_.valid() || names != insertNames_) {
        insert_ = Statement(db_, names.empty() ? "INSERT INTO " + quotedTable_ + " DEFAULT VALUES"
                                               : "INSERT INTO " + quotedTable_ + " (" + names +
                                                     ") VALUES (" + places + ")");
        insertNames_ = names;
    }
    {
        StatementRun run(insert_);
        int index = 1;
        for (const auto& written : pendingValues_) {
            BindValue(insert_, index++, written.second);
        }
        insert_.Step();
    }
    // A trigger of a table made elsewhere may drop the row silently; a
    // caller that goes on to delete the original must not believe it kept.
    const long long rowid = sqlite3_last_insert_rowid(db_);
    bool kept = sqlite3_changes(db_) == 1;
    if (kept) {
        if (!rowKept_.valid()) {
            rowKept_ = Statement(db_, "SELECT 1 FROM " + quotedTable_ + " WHERE rowid = ?");
        }
        StatementRun run(rowKept_);
        rowKept_.BindInteger(1, rowid);
        kept = rowKept_.Step();
    }
    if (!kept) {
        throw DbError(db_code::kUnspecified, kJetProvider,
                      "The new row was not kept: a trigger of the table dropped it.");
    }
    // The new row joins the snapshot and becomes the current row.
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
    if (sqlite3_changes(db_) != 1) {
        // Deleted by another connection since it was read.
        throw DbError(db_code::kUnspecified, kJetProvider,
                      "Row cannot be located for updating. Some values may have been changed "
                      "since it was last read.");
    }
    ForgetReadValues();
}

void TableCursor::CancelPending() {
    pending_ = Pending::None;
    pendingValues_.clear();
}

long long TableCursor::Bookmark() {
    if (AtEnd()) {
        ThrowNoCurrentRecord();
    }
    return rowids_[position_];
}

void TableCursor::MoveToBookmark(long long bookmark) {
    const std::optional<size_t> position = PositionOf(bookmark);
    if (!attached_ || !position) {
        throw DbError(db_code::kUnspecified, kRecordsetSource,
                      "The bookmark is not valid for this recordset.");
    }
    CancelPending();
    position_ = *position;
}

void TableCursor::DeleteCurrent() {
    if (AtEnd()) {
        ThrowNoCurrentRecord();
    }
    CancelPending();
    const long long rowid = rowids_[position_];
    connection_->RowsDeleting(table_, {rowid}, this);
    Statement remove(db_, "DELETE FROM " + quotedTable_ + " WHERE rowid = ?");
    remove.BindInteger(1, rowid);
    try {
        remove.Run();
    } catch (const DbError&) {
        connection_->NoteWriteFailure();
        throw;
    }
    if (sqlite3_changes(db_) != 1) {
        throw DbError(db_code::kUnspecified, kJetProvider,
                      "Row handle referred to a deleted row or a row marked for deletion.");
    }
    kept_.erase(rowid);
    presence_.Clear();
    ForgetReadValues();
}

void TableCursor::Detach() {
    insert_ = Statement();
    rowKept_ = Statement();
    readers_.clear();
    presence_ = RowBatch();
    attached_ = false;
    CancelPending();
}
