#include "db/schema_rowsets.h"

#include "base/ansi_text.h"
#include "db/column_properties.h"
#include "db/column_types.h"
#include "db/db_connection.h"
#include "db/materialized_rows.h"
#include "db/sql_text.h"
#include "db/sqlite_statement.h"
#include "db/table_info.h"

std::unique_ptr<RowSource> TablesRowset(DbConnection& connection) {
    sqlite3* db = connection.Handle();
    std::vector<std::vector<FieldValue>> rows;
    auto add = [&rows](const std::string& name, const char* type) {
        rows.push_back({FieldValue::Null(), FieldValue::Null(), FieldValue::Text(Utf8ToAnsi(name)),
                        FieldValue::Text(type), FieldValue::Null()});
    };
    for (const std::string& table : UserTables(db)) {
        add(table, "TABLE");
    }
    for (const std::string& view : SchemaObjectNames(db, "view")) {
        add(view, "VIEW");
    }
    return std::make_unique<MaterializedRows>(std::vector<std::string>{"TABLE_CATALOG",
                                                                       "TABLE_SCHEMA", "TABLE_NAME",
                                                                       "TABLE_TYPE", "DESCRIPTION"},
                                              std::move(rows));
}

std::unique_ptr<RowSource> ColumnsRowset(DbConnection& connection) {
    sqlite3* db = connection.Handle();
    const std::vector<ColumnProperty> descriptions = ReadPropertyOfAllColumns(db, "Description");
    std::vector<std::vector<FieldValue>> rows;
    for (const std::string& table : UserTables(db)) {
        long ordinal = 0;
        for (const ColumnInfo& column : TableColumns(db, table)) {
            FieldValue description;
            for (const ColumnProperty& property : descriptions) {
                if (SameName(property.table, table) && SameName(property.column, column.name)) {
                    description = property.value;
                }
            }
            rows.push_back(
                {FieldValue::Null(), FieldValue::Null(), FieldValue::Text(Utf8ToAnsi(table)),
                 FieldValue::Text(Utf8ToAnsi(column.name)), FieldValue::Integer(++ordinal),
                 FieldValue::Boolean(!column.notNull),
                 FieldValue::Integer(AdoTypeOfDeclared(column.declaredType)), description});
        }
    }
    return std::make_unique<MaterializedRows>(
        std::vector<std::string>{"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "COLUMN_NAME",
                                 "ORDINAL_POSITION", "IS_NULLABLE", "DATA_TYPE", "DESCRIPTION"},
        std::move(rows));
}
