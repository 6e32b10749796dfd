#include "db/column_types.h"

#include "db/ado_constants.h"

#include <sqlite3.h>

#include <cctype>

namespace {

// The declaration's type name in upper case, without a size in parentheses.
std::string TypeWord(const std::string& declared) {
    std::string word;
    for (char c : declared) {
        if (c == '(' || c == ' ') {
            break;
        }
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return word;
}

bool IsOneOf(const std::string& word, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (word == name) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string DeclaredTypeFor(int adoType, long definedSize) {
    switch (adoType) {
    case adSmallInt:
        return "SMALLINT";
    case adInteger:
        return "INTEGER";
    case adSingle:
        return "SINGLE";
    case adDouble:
        return "DOUBLE";
    case adCurrency:
        return "CURRENCY";
    case adDate:
        return "DATETIME";
    case adBoolean:
        return "BIT";
    case adUnsignedTinyInt:
        return "BYTE";
    case adNumeric:
        return "DECIMAL";
    case adVarWChar:
        return "VARCHAR(" + std::to_string(definedSize > 0 ? definedSize : 255) + ")";
    case adLongVarWChar:
        return "TEXT";
    case adLongVarBinary:
        return "BLOB";
    default:
        return std::string();
    }
}

int AdoTypeOfDeclared(const std::string& declaredType) {
    const std::string word = TypeWord(declaredType);
    if (IsOneOf(word, {"SMALLINT", "SHORT"})) {
        return adSmallInt;
    }
    if (IsOneOf(word, {"INTEGER", "INT", "LONG", "BIGINT"})) {
        return adInteger;
    }
    if (IsOneOf(word, {"SINGLE"})) {
        return adSingle;
    }
    if (IsOneOf(word, {"DOUBLE", "REAL", "FLOAT"})) {
        return adDouble;
    }
    if (IsOneOf(word, {"CURRENCY", "MONEY"})) {
        return adCurrency;
    }
    if (IsOneOf(word, {"DATETIME", "DATE", "TIME", "TIMESTAMP"})) {
        return adDate;
    }
    if (IsOneOf(word, {"BIT", "BOOLEAN", "BOOL", "YESNO", "LOGICAL"})) {
        return adBoolean;
    }
    if (IsOneOf(word, {"BYTE", "TINYINT"})) {
        return adUnsignedTinyInt;
    }
    if (IsOneOf(word, {"DECIMAL", "NUMERIC"})) {
        return adNumeric;
    }
    if (IsOneOf(word, {"VARCHAR", "CHAR", "NVARCHAR", "NCHAR"})) {
        return adVarWChar;
    }
    if (IsOneOf(word, {"TEXT", "LONGTEXT", "MEMO", "CLOB", "NOTE"})) {
        return adLongVarWChar;
    }
    if (IsOneOf(word, {"BLOB", "LONGBINARY", "IMAGE"})) {
        return adLongVarBinary;
    }
    return adEmpty;
}

ValueKind KindOfStored(int adoType, int storageClass) {
    if (storageClass == SQLITE_NULL) {
        return ValueKind::Null;
    }
    const bool numeric = storageClass == SQLITE_INTEGER || storageClass == SQLITE_FLOAT;
    switch (adoType) {
    case adBoolean:
        if (numeric) {
            return ValueKind::Boolean;
        }
        break;
    case adSingle:
        if (numeric) {
            return ValueKind::Single;
        }
        break;
    case adCurrency:
        if (numeric) {
            return ValueKind::Currency;
        }
        break;
    case adNumeric:
        if (numeric) {
            return ValueKind::Decimal;
        }
        break;
    case adDate:
        if (storageClass == SQLITE_TEXT) {
            return ValueKind::Date;
        }
        break;
    case adLongVarWChar:
    case adVarWChar:
        if (storageClass == SQLITE_BLOB) {
            return ValueKind::Text;
        }
        break;
    default:
        break;
    }
    switch (storageClass) {
    case SQLITE_INTEGER:
        return ValueKind::Integer;
    case SQLITE_FLOAT:
        return ValueKind::Double;
    case SQLITE_TEXT:
        return ValueKind::Text;
    default:
        return ValueKind::Binary;
    }
}
