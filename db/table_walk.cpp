#include "db/table_walk.h"

#include "db/ado_database.h"
#include "db/ado_exception.h"
#include "db/column_types.h"
#include "db/db_connection.h"
#include "db/db_error.h"
#include "db/engine_values.h"
#include "db/field_conversion.h"
#include "db/sql_text.h"
#include "db/table_cursor.h"
#include "db/table_info.h"
#include "base/ansi_text.h"
#include "base/win32.h"

namespace {

[[noreturn]] void Fail(const DbError& error) {
    throw CADOException(error.code(), error.description(), error.lasting());
}

} // namespace

TableWalk::TableWalk(sqlite3* db, std::string quotedTable, Statement statement,
                     std::vector<int> adoTypes)
    : db_(db), quotedTable_(std::move(quotedTable)), statement_(std::move(statement)),
      adoTypes_(std::move(adoTypes)) {}

std::optional<TableWalk> TableWalk::Open(CADODatabase& database, const std::string& tableAnsi,
                                         const std::vector<std::string>& fields) {
    const ConnectionHandle& connection = database.GetActiveConnection();
    if (!connection || !connection->IsOpen()) {
        return std::nullopt;
    }
    try {
        const std::string table = AnsiToUtf8(tableAnsi);
        if (!TableCursor::Walkable(*connection, table)) {
            return std::nullopt;
        }
        const std::vector<ColumnInfo> columns = TableColumns(connection->Handle(), table);
        std::string list = "rowid";
        std::vector<int> adoTypes;
        for (const std::string& field : fields) {
            const ColumnInfo* found = nullptr;
            for (const ColumnInfo& column : columns) {
                if (::lstrcmpiA(Utf8ToAnsi(column.name).c_str(), field.c_str()) == 0) {
                    found = &column;
                    break;
                }
            }
            if (!found) {
                return std::nullopt;
            }
            list += ", " + QuoteIdentifier(found->name);
            adoTypes.push_back(AdoTypeOfDeclared(found->declaredType));
        }
        std::string quotedTable = QuoteIdentifier(table);
        Statement statement(connection->Handle(),
                            "SELECT " + list + " FROM " + quotedTable + " ORDER BY rowid");
        return TableWalk(connection->Handle(), std::move(quotedTable), std::move(statement),
                         std::move(adoTypes));
    } catch (const DbError& error) {
        Fail(error);
    }
}

long long TableWalk::CountRows() const {
    try {
        Statement count(db_, "SELECT count(*) FROM " + quotedTable_);
        return count.Step() ? count.ColumnInteger(0) : 0;
    } catch (const DbError& error) {
        Fail(error);
    }
}

bool TableWalk::Next() {
    try {
        return statement_.Step();
    } catch (const DbError& error) {
        Fail(error);
    }
}

long long TableWalk::Rowid() const {
    return statement_.ColumnInteger(0);
}

// The common values, whole numbers and text, are read straight from the
// engine; the conversions of a FieldValue cost more than the walk itself.
int TableWalk::Integer(size_t field) const {
    const int column = static_cast<int>(field + 1);
    const int adoType = adoTypes_[field];
    const int storage = statement_.ColumnType(column);
    if (KindOfStored(adoType, storage) == ValueKind::Integer) {
        return static_cast<int>(statement_.ColumnInteger(column));
    }
    return FieldValueToInt(ReadColumnValue(statement_, column, adoType));
}

std::optional<std::string_view> TableWalk::StoredText(size_t field) const {
    const int column = static_cast<int>(field + 1);
    const int storage = statement_.ColumnType(column);
    if (storage == SQLITE_TEXT && KindOfStored(adoTypes_[field], storage) == ValueKind::Text) {
        return statement_.ColumnView(column);
    }
    return std::nullopt;
}

FieldValue TableWalk::Value(size_t field) const {
    return ReadColumnValue(statement_, static_cast<int>(field + 1), adoTypes_[field]);
}

void TableWalk::ReadText(size_t field, std::string& text) const {
    if (const std::optional<std::string_view> stored = StoredText(field)) {
        Utf8ToAnsiInto(stored->data(), stored->size(), text);
        return;
    }
    FieldValueToText(Value(field), "", text);
}

void TableWalk::ReadUtf8(size_t field, std::string& utf8) const {
    if (const std::optional<std::string_view> stored = StoredText(field)) {
        utf8.assign(stored->data(), stored->size());
        return;
    }
    FieldValue value = Value(field);
    if (!value.exact) {
        utf8 = std::move(value.utf8);
        return;
    }
    std::string text;
    FieldValueToText(value, "", text);
    if (!AnsiToUtf8Exact(text, utf8)) {
        utf8 = std::move(text);
    }
}
