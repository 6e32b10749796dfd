// A static cursor over one table. Opening it lists the identities (rowids)
// of the rows it shows; column values are read from the file when asked
// for. Short values are read for a run of rows at once; long ones (message
// texts) one at a time, so neither counting nor walking ever holds the
// texts of more than the current row.
#pragma once

#include "db/row_batch.h"
#include "db/row_source.h"
#include "db/sqlite_statement.h"
#include "db/table_info.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DbConnection;

class TableCursor : public RowSource {
public:
    // `table` (UTF-8) must be a table with rowids (see Walkable); `clause`
    // is a WHERE and/or ORDER BY clause, or empty for the table's own order.
    TableCursor(std::shared_ptr<DbConnection> connection, const std::string& table,
                const std::string& clause);
    ~TableCursor() override;
    TableCursor(const TableCursor&) = delete;
    TableCursor& operator=(const TableCursor&) = delete;

    // False for views and tables without rowids; DbError for no such table.
    static bool Walkable(DbConnection& connection, const std::string& table);

    long Count() const override { return static_cast<long>(rowids_.size()); }
    bool AtEnd() const override { return !attached_ || position_ >= rowids_.size(); }
    void MoveFirst() override;
    void MoveNext() override;
    FieldValue Read(const std::string& field) override;

    void BeginInsert() override;
    void Write(const std::string& field, const FieldValue& value) override;
    void SavePending() override;
    void CancelPending() override;

    // The row's rowid.
    long long Bookmark() override;
    void MoveToBookmark(long long bookmark) override;
    void DeleteCurrent() override;

    void Detach() override;
    bool Attached() const override { return attached_; }
    void RowsDeleting(const std::string& table, const std::vector<long long>& rowids) override;
    bool ReadsTable(const std::string& table) const override;

private:
    enum class Pending { None, Insert, Change };
    enum class ReadMode { Unknown, Batched, Single };
    struct ColumnReader {
        ReadMode mode = ReadMode::Unknown;
        RowBatch batch;
        Statement single;
    };

    size_t ColumnIndex(const std::string& field) const;
    std::optional<size_t> PositionOf(long long rowid) const;
    bool Present(size_t position);
    // Rows deleted by another connection since the snapshot are passed over.
    void SkipVanishedRows();
    std::vector<FieldValue> ReadWholeRow(long long rowid);
    FieldValue ReadSingle(size_t column, long long rowid);
    FieldValue ReadBatched(size_t column, size_t position);
    void ForgetReadValues();
    void InsertPending();
    void ChangeCurrent();

    std::shared_ptr<DbConnection> connection_;
    sqlite3* db_;
    std::string table_;
    std::string quotedTable_;
    std::vector<ColumnInfo> columns_;
    std::vector<std::string> ansiNames_;
    std::vector<long long> rowids_;
    bool sortedByRowid_ = true;
    size_t position_ = 0;
    bool attached_ = true;

    std::vector<ColumnReader> readers_;
    RowBatch presence_;
    // Rows deleted through this connection while listed here, kept whole.
    std::map<long long, std::vector<FieldValue>> kept_;

    Pending pending_ = Pending::None;
    std::map<size_t, FieldValue> pendingValues_;
    Statement insert_;
    std::string insertNames_;
    Statement rowKept_;
};
