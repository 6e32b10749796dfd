#include "db/materialized_rows.h"

#include "base/ansi_text.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/engine_values.h"
#include "db/sqlite_statement.h"

#include "base/win32.h"

void ThrowNoCurrentRecord() {
    throw DbError(db_code::kNoCurrentRecord, kFieldSource,
                  "Either BOF or EOF is True, or the current record has been deleted. Requested "
                  "operation requires a current record.");
}

void ThrowNoSuchField(const std::string&) {
    throw DbError(db_code::kItemNotFound, kRecordsetSource,
                  "Item cannot be found in the collection corresponding to the requested name or "
                  "ordinal.");
}

MaterializedRows::MaterializedRows(std::vector<std::string> columns,
                                   std::vector<std::vector<FieldValue>> rows)
    : columns_(std::move(columns)), rows_(std::move(rows)) {}

std::unique_ptr<MaterializedRows> MaterializedRows::FromQuery(DbConnection& connection,
                                                              const std::string& sqlUtf8) {
    Statement query(connection.Handle(), sqlUtf8);
    std::vector<std::string> columns;
    std::vector<std::string> declared;
    for (int i = 0; i < query.ColumnCount(); ++i) {
        columns.push_back(Utf8ToAnsi(query.ColumnName(i)));
        declared.push_back(query.ColumnDeclaredType(i));
    }
    std::vector<std::vector<FieldValue>> rows;
    {
        StatementRun run(query);
        while (query.Step()) {
            std::vector<FieldValue> row;
            for (int i = 0; i < query.ColumnCount(); ++i) {
                row.push_back(ReadColumnValue(query, i, declared[static_cast<size_t>(i)]));
            }
            rows.push_back(std::move(row));
        }
    }
    return std::make_unique<MaterializedRows>(std::move(columns), std::move(rows));
}

void MaterializedRows::MoveNext() {
    if (AtEnd()) {
        ThrowNoCurrentRecord();
    }
    ++position_;
}

FieldValue MaterializedRows::Read(const std::string& field) {
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (::lstrcmpiA(columns_[i].c_str(), field.c_str()) == 0) {
            if (AtEnd()) {
                ThrowNoCurrentRecord();
            }
            return rows_[position_][i];
        }
    }
    ThrowNoSuchField(field);
}
