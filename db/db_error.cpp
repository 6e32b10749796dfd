#include "db/db_error.h"

#include "base/ansi_text.h"

#include <sqlite3.h>

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

HRESULT CodeFor(const std::string& message) {
    if (StartsWith(message, "no such table")) {
        return db_code::kNoSuchTable;
    }
    if (StartsWith(message, "table ") && message.find("already exists") != std::string::npos) {
        return db_code::kTableExists;
    }
    if (message.find("syntax error") != std::string::npos ||
        StartsWith(message, "no such column") || StartsWith(message, "incomplete input") ||
        StartsWith(message, "unrecognized token")) {
        return db_code::kErrorsInCommand;
    }
    return db_code::kUnspecified;
}

bool IsLastingFailure(int engineCode) {
    switch (engineCode & 0xFF) {
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_PERM:
        return true;
    default:
        return false;
    }
}

} // namespace

DbError EngineError(const std::string& utf8Message) {
    return DbError(CodeFor(utf8Message), kJetProvider, Utf8ToAnsi(utf8Message));
}

DbError EngineError(sqlite3* db) {
    DbError error = EngineError(std::string(db ? sqlite3_errmsg(db) : "out of memory"));
    return DbError(error.code(), error.source(), error.description(),
                   db && IsLastingFailure(sqlite3_errcode(db)));
}
