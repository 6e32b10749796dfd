#include "db/row_batch.h"

#include "db/column_types.h"
#include "db/engine_values.h"

#include <unordered_map>

RowBatch::RowBatch(sqlite3* db, const std::string& quotedTable, const std::string& quotedColumn,
                   const std::string& declaredType)
    : withValue_(!quotedColumn.empty()), adoType_(AdoTypeOfDeclared(declaredType)) {
    std::string places;
    for (size_t i = 0; i < kRows; ++i) {
        places += i ? ", ?" : "?";
    }
    const std::string limit = std::to_string(kLongestLoaded);
    const std::string value = withValue_ ? ", CASE WHEN length(" + quotedColumn + ") <= " + limit +
                                               " THEN " + quotedColumn + " END, length(" +
                                               quotedColumn + ") > " + limit
                                         : "";
    statement_ = Statement(db, "SELECT rowid" + value + " FROM " + quotedTable +
                                   " WHERE rowid IN (" + places + ")");
}

void RowBatch::Fill(const std::vector<long long>& rowids, size_t first) {
    Clear();
    const size_t count = std::min(kRows, rowids.size() - first);
    std::unordered_map<long long, size_t> offsets;
    for (size_t i = 0; i < kRows; ++i) {
        if (i < count) {
            statement_.BindInteger(static_cast<int>(i + 1), rowids[first + i]);
            offsets.emplace(rowids[first + i], i);
        } else {
            statement_.BindNull(static_cast<int>(i + 1));
        }
    }
    first_ = first;
    values_.resize(withValue_ ? count : 0);
    present_.assign(count, 0);
    long_.assign(count, 0);
    StatementRun run(statement_);
    while (statement_.Step()) {
        const auto found = offsets.find(statement_.ColumnInteger(0));
        if (found == offsets.end()) {
            continue;
        }
        present_[found->second] = 1;
        if (withValue_) {
            if (statement_.ColumnInteger(2) != 0) {
                long_[found->second] = 1;
            } else {
                values_[found->second] = ReadColumnValue(statement_, 1, adoType_);
            }
        }
    }
}

void RowBatch::Clear() {
    first_ = 0;
    values_.clear();
    present_.clear();
    long_.clear();
}
