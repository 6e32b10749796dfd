#include "db/table_info.h"

#include <algorithm>

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

std::vector<std::string> SchemaObjectNames(sqlite3* db, const char* type) {
    Statement read(db, "SELECT name FROM sqlite_master WHERE type = ?"
                       " ORDER BY name COLLATE NOCASE");
    StatementRun run(read);
    read.BindText(1, type);
    std::vector<std::string> names;
    while (read.Step()) {
        names.push_back(read.ColumnBytes(0));
    }
    return names;
}

std::vector<std::string> UserTables(sqlite3* db) {
    std::vector<std::string> tables = SchemaObjectNames(db, "table");
    tables.erase(std::remove_if(tables.begin(), tables.end(), IsHiddenTable), tables.end());
    return tables;
}
