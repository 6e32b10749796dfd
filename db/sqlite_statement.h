// One prepared statement of the engine, with its failures raised as DbError.
#pragma once

#include "db/sqlite_handles.h"

#include <string>
#include <string_view>

class Statement {
public:
    Statement() = default;
    // `sqlUtf8` must hold exactly one statement: text after it is refused,
    // so that a name or value pasted into SQL cannot add a statement of its own.
    Statement(sqlite3* db, const std::string& sqlUtf8);

    bool valid() const { return statement_.valid(); }

    // True when a row is ready, false when the statement has run to its end.
    bool Step();
    // Ends the current run so that no read lock outlives the read.
    void Reset() noexcept;
    // Steps to the end; for statements that give no rows.
    void Run();

    void BindNull(int index);
    void BindInteger(int index, long long value);
    void BindDouble(int index, double value);
    void BindText(int index, const std::string& utf8);
    void BindBlob(int index, const std::string& bytes);

    int ColumnCount() const;
    int ColumnType(int column) const;
    long long ColumnInteger(int column) const;
    double ColumnDouble(int column) const;
    // Text and blob bytes as the engine keeps them (text in UTF-8).
    std::string ColumnBytes(int column) const;
    // The same without a copy, valid until the statement steps or resets.
    std::string_view ColumnView(int column) const;
    std::string ColumnName(int column) const;
    // Empty for a computed column.
    std::string ColumnDeclaredType(int column) const;
    bool IsReadOnly() const;

private:
    void CheckBind(int result) const;

    sqlite3* db_ = nullptr;
    UniqueStatement statement_;
};

// Resets a statement when the scope that stepped it ends, also by an error.
class StatementRun {
public:
    explicit StatementRun(Statement& statement) : statement_(statement) {}
    ~StatementRun() { statement_.Reset(); }
    StatementRun(const StatementRun&) = delete;
    StatementRun& operator=(const StatementRun&) = delete;

private:
    Statement& statement_;
};
