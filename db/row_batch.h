// Reads one column of a run of listed rows in one statement, or only which
// of them still exist. Every statement outside a transaction takes and
// drops the file's lock, which costs far more than the read itself, so a
// walk asks once per run of rows instead of once per value. Only short
// values are loaded; a long one is marked, for the caller to read alone, so
// a run never holds more than a few hundred kilobytes.
#pragma once

#include "db/field_value.h"
#include "db/sqlite_statement.h"

#include <string>
#include <vector>

class RowBatch {
public:
    static constexpr size_t kRows = 128;

    RowBatch() = default;
    // Without a column the batch learns only which rows exist.
    RowBatch(sqlite3* db, const std::string& quotedTable, const std::string& quotedColumn,
             const std::string& declaredType);

    // Values longer than this (in characters, or bytes for binary values)
    // are not loaded.
    static constexpr int kLongestLoaded = 1024;

    // Reads the rows at positions [first, first + kRows) of `rowids`.
    void Fill(const std::vector<long long>& rowids, size_t first);
    // Whether the statement is made; one batch serves a whole walk.
    bool Prepared() const { return statement_.valid(); }
    bool Covers(size_t position) const {
        return position >= first_ && position - first_ < present_.size();
    }
    bool Present(size_t position) const { return present_[position - first_] != 0; }
    bool IsLong(size_t position) const { return long_[position - first_] != 0; }
    const FieldValue& Value(size_t position) const { return values_[position - first_]; }
    void Clear();

private:
    Statement statement_;
    bool withValue_ = false;
    int adoType_ = 0;
    size_t first_ = 0;
    std::vector<FieldValue> values_;
    std::vector<char> present_;
    std::vector<char> long_;
};
