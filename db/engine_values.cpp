#include "db/engine_values.h"

#include "base/ansi_text.h"
#include "db/column_types.h"

#include <cstdio>

bool ParseStoredDate(const std::string& text, int& year, int& month, int& day, int& hour,
                     int& minute, int& second) {
    hour = minute = second = 0;
    char separator = ' ';
    int consumed = 0;
    const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month, &day,
                                   &separator, &hour, &minute, &second, &consumed);
    const bool dateOnly = fields == 3 && text.size() == 10;
    const bool dateTime = fields == 7 && (separator == ' ' || separator == 'T') &&
                          static_cast<size_t>(consumed) == text.size();
    if (!dateOnly && !dateTime) {
        return false;
    }
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60 &&
           second < 60 && hour >= 0 && minute >= 0 && second >= 0;
}

FieldValue ReadColumnValue(const Statement& statement, int column,
                           const std::string& declaredType) {
    return ReadColumnValue(statement, column, AdoTypeOfDeclared(declaredType));
}

namespace {

void SetStoredText(const std::string& utf8, FieldValue& value) {
    value.exact = Utf8ToAnsiExact(utf8, value.text);
    if (!value.exact) {
        value.utf8 = utf8;
    }
}

} // namespace

FieldValue ReadColumnValue(const Statement& statement, int column, int adoType) {
    FieldValue value;
    const int storage = statement.ColumnType(column);
    value.kind = KindOfStored(adoType, storage);
    switch (value.kind) {
    case ValueKind::Null:
        break;
    case ValueKind::Boolean:
        value.integer = statement.ColumnDouble(column) != 0 ? 1 : 0;
        break;
    case ValueKind::Integer:
        value.integer = statement.ColumnInteger(column);
        break;
    case ValueKind::Single:
    case ValueKind::Double:
    case ValueKind::Decimal:
    case ValueKind::Currency:
        value.number = statement.ColumnDouble(column);
        break;
    case ValueKind::Date: {
        value.text = statement.ColumnBytes(column);
        int y, mo, d, h, mi, s;
        if (!ParseStoredDate(value.text, y, mo, d, h, mi, s)) {
            value.kind = ValueKind::Text;
            std::string stored = std::move(value.text);
            SetStoredText(stored, value);
        }
        break;
    }
    case ValueKind::Text:
        // Bytes the code page could not carry as text were kept as they are.
        if (storage == SQLITE_BLOB) {
            value.text = statement.ColumnBytes(column);
        } else {
            SetStoredText(statement.ColumnBytes(column), value);
        }
        break;
    case ValueKind::Binary:
        value.text = statement.ColumnBytes(column);
        break;
    }
    return value;
}

void BindValue(Statement& statement, int index, const FieldValue& value) {
    switch (value.kind) {
    case ValueKind::Null:
        statement.BindNull(index);
        break;
    case ValueKind::Boolean:
    case ValueKind::Integer:
        statement.BindInteger(index, value.integer);
        break;
    case ValueKind::Single:
    case ValueKind::Double:
    case ValueKind::Decimal:
    case ValueKind::Currency:
        statement.BindDouble(index, value.number);
        break;
    case ValueKind::Date:
        statement.BindText(index, value.text);
        break;
    case ValueKind::Text: {
        std::string utf8;
        if (AnsiToUtf8Exact(value.text, utf8)) {
            statement.BindText(index, utf8);
        } else {
            // Not one byte of a message may change: what the code page
            // cannot turn into characters is stored as the bytes themselves.
            statement.BindBlob(index, value.text);
        }
        break;
    }
    case ValueKind::Binary:
        statement.BindBlob(index, value.text);
        break;
    }
}
