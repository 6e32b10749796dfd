#include "db/row_batch.h"

#include "db/engine_values.h"

#include <unordered_map>

RowBatch::RowBatch(sqlite3* db, const std::string& quotedTable, const std::string& quotedColumn,
                   std::string declaredType)
    : withValue_(!quotedColumn.empty()), declaredType_(std::move(declaredType)) {
    std::string places;
    for (size_t i = 0; i < kRows; ++i) {
        places += i ? ", ?" : "?";
    }
    statement_ = Statement(db, "SELECT rowid" + (withValue_ ? ", " + quotedColumn : "") + " FROM " +
                                   quotedTable + " WHERE rowid IN (" + places + ")");
}

size_t RowBatch::Fill(const std::vector<long long>& rowids, size_t first) {
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
    size_t bytes = 0;
    StatementRun run(statement_);
    while (statement_.Step()) {
        const auto found = offsets.find(statement_.ColumnInteger(0));
        if (found == offsets.end()) {
            continue;
        }
        present_[found->second] = 1;
        if (withValue_) {
            FieldValue& value = values_[found->second];
            value = ReadColumnValue(statement_, 1, declaredType_);
            bytes += value.text.size();
        }
    }
    return bytes;
}

void RowBatch::Clear() {
    first_ = 0;
    values_.clear();
    present_.clear();
}
