#include "db/table_info.h"

#include "db/column_properties.h"
#include "db/sqlite_statement.h"

std::vector<ColumnInfo> TableColumns(sqlite3* db, const std::string& table) {
    Statement read(db, "SELECT name, type, \"notnull\" FROM pragma_table_info(?) ORDER BY cid");
    read.BindText(1, table);
    StatementRun run(read);
    std::vector<ColumnInfo> columns;
    while (read.Step()) {
        columns.push_back({read.ColumnBytes(0), read.ColumnBytes(1), read.ColumnInteger(2) != 0});
    }
    return columns;
}

std::vector<std::string> UserTables(sqlite3* db) {
    Statement read(db, "SELECT name FROM sqlite_master WHERE type = 'table'"
                       " ORDER BY name COLLATE NOCASE");
    StatementRun run(read);
    std::vector<std::string> tables;
    while (read.Step()) {
        std::string name = read.ColumnBytes(0);
        if (!IsHiddenTable(name)) {
            tables.push_back(std::move(name));
        }
    }
    return tables;
}
