#include "db/column_properties.h"

#include "db/ado_constants.h"
#include "db/attachment_store.h"
#include "db/column_types.h"
#include "db/engine_values.h"
#include "db/sql_text.h"
#include "db/sqlite_statement.h"

namespace {

bool PropertyTableExists(sqlite3* db) {
    Statement probe(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    probe.BindText(1, kPropertyTable);
    StatementRun run(probe);
    return probe.Step();
}

int TypeOf(const FieldValue& value) {
    switch (value.kind) {
    case ValueKind::Boolean:
        return adBoolean;
    case ValueKind::Integer:
        return adInteger;
    case ValueKind::Single:
    case ValueKind::Double:
    case ValueKind::Decimal:
    case ValueKind::Currency:
        return adDouble;
    case ValueKind::Date:
        return adDate;
    default:
        return adLongVarWChar;
    }
}

} // namespace

bool IsHiddenTable(const std::string& table) {
    return SameName(table, kPropertyTable) || SameName(table, kRestoreJournalTable) ||
           SameName(table, kAttachmentContentTable) || SameName(table, kAttachmentChunksTable) ||
           SameName(table, kAttachmentRefsTable) ||
           (table.size() >= 7 && SameName(table.substr(0, 7), "sqlite_"));
}

void CreatePropertyTable(sqlite3* db) {
    Statement(db, "CREATE TABLE IF NOT EXISTS " + QuoteIdentifier(kPropertyTable) +
                      " (TableName TEXT NOT NULL COLLATE NOCASE,"
                      " ColumnName TEXT NOT NULL COLLATE NOCASE,"
                      " Property TEXT NOT NULL COLLATE NOCASE,"
                      " Type INTEGER NOT NULL, Value,"
                      " PRIMARY KEY (TableName, ColumnName, Property))")
        .Run();
}

void WriteColumnProperty(sqlite3* db, const std::string& table, const std::string& column,
                         const std::string& property, const FieldValue& value) {
    CreatePropertyTable(db);
    Statement write(db, "INSERT OR REPLACE INTO " + QuoteIdentifier(kPropertyTable) +
                            " (TableName, ColumnName, Property, Type, Value)"
                            " VALUES (?, ?, ?, ?, ?)");
    write.BindText(1, table);
    write.BindText(2, column);
    write.BindText(3, property);
    write.BindInteger(4, TypeOf(value));
    BindValue(write, 5, value);
    write.Run();
}

bool ReadColumnProperty(sqlite3* db, const std::string& table, const std::string& column,
                        const std::string& property, FieldValue& value) {
    if (!PropertyTableExists(db)) {
        return false;
    }
    Statement read(db, "SELECT Type, Value FROM " + QuoteIdentifier(kPropertyTable) +
                           " WHERE TableName = ? AND ColumnName = ? AND Property = ?");
    read.BindText(1, table);
    read.BindText(2, column);
    read.BindText(3, property);
    StatementRun run(read);
    if (!read.Step()) {
        return false;
    }
    value = ReadColumnValue(read, 1, DeclaredTypeFor(static_cast<int>(read.ColumnInteger(0)), 0));
    return true;
}

void ForgetTableProperties(sqlite3* db, const std::string& table) {
    if (!PropertyTableExists(db)) {
        return;
    }
    Statement forget(db, "DELETE FROM " + QuoteIdentifier(kPropertyTable) + " WHERE TableName = ?");
    forget.BindText(1, table);
    forget.Run();
}

std::vector<ColumnProperty> ReadPropertyOfAllColumns(sqlite3* db, const std::string& property) {
    std::vector<ColumnProperty> found;
    if (!PropertyTableExists(db)) {
        return found;
    }
    Statement read(db, "SELECT TableName, ColumnName, Type, Value FROM " +
                           QuoteIdentifier(kPropertyTable) + " WHERE Property = ?");
    read.BindText(1, property);
    StatementRun run(read);
    while (read.Step()) {
        found.push_back(
            {read.ColumnBytes(0), read.ColumnBytes(1),
             ReadColumnValue(read, 3,
                             DeclaredTypeFor(static_cast<int>(read.ColumnInteger(2)), 0))});
    }
    return found;
}
