#include "db/sqlite_statement.h"

#include "db/db_error.h"

#include <cstring>

namespace {

bool OnlySeparatorsLeft(const char* tail) {
    for (; tail && *tail; ++tail) {
        if (!std::strchr(" \t\r\n\v\f;", *tail)) {
            return false;
        }
    }
    return true;
}

} // namespace

Statement::Statement(sqlite3* db, const std::string& sqlUtf8) : db_(db) {
    sqlite3_stmt* prepared = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sqlUtf8.c_str(), static_cast<int>(sqlUtf8.size() + 1), &prepared,
                           &tail) != SQLITE_OK) {
        throw EngineError(db);
    }
    statement_.reset(prepared);
    if (!prepared) {
        throw DbError(db_code::kErrorsInCommand, kJetProvider, "Invalid SQL statement.");
    }
    if (!OnlySeparatorsLeft(tail)) {
        statement_.reset();
        throw DbError(db_code::kErrorsInCommand, kJetProvider,
                      "Characters found after end of SQL statement.");
    }
}

bool Statement::Step() {
    switch (sqlite3_step(statement_.get())) {
    case SQLITE_ROW:
        return true;
    case SQLITE_DONE:
        return false;
    default: {
        DbError error = EngineError(db_);
        sqlite3_reset(statement_.get());
        throw error;
    }
    }
}

void Statement::Reset() noexcept {
    if (statement_) {
        sqlite3_reset(statement_.get());
    }
}

void Statement::Run() {
    StatementRun run(*this);
    while (Step()) {
    }
}

void Statement::CheckBind(int result) const {
    if (result != SQLITE_OK) {
        throw EngineError(db_);
    }
}

void Statement::BindNull(int index) {
    CheckBind(sqlite3_bind_null(statement_.get(), index));
}

void Statement::BindInteger(int index, long long value) {
    CheckBind(sqlite3_bind_int64(statement_.get(), index, value));
}

void Statement::BindDouble(int index, double value) {
    CheckBind(sqlite3_bind_double(statement_.get(), index, value));
}

void Statement::BindText(int index, const std::string& utf8) {
    CheckBind(sqlite3_bind_text64(statement_.get(), index, utf8.data(), utf8.size(),
                                  SQLITE_TRANSIENT, SQLITE_UTF8));
}

void Statement::BindBlob(int index, const std::string& bytes) {
    CheckBind(
        sqlite3_bind_blob64(statement_.get(), index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
}

int Statement::ColumnCount() const {
    return sqlite3_column_count(statement_.get());
}

int Statement::ColumnType(int column) const {
    return sqlite3_column_type(statement_.get(), column);
}

long long Statement::ColumnInteger(int column) const {
    return sqlite3_column_int64(statement_.get(), column);
}

double Statement::ColumnDouble(int column) const {
    return sqlite3_column_double(statement_.get(), column);
}

std::string Statement::ColumnBytes(int column) const {
    const std::string_view bytes = ColumnView(column);
    return std::string(bytes.data() ? bytes.data() : "", bytes.size());
}

std::string_view Statement::ColumnView(int column) const {
    const void* data =
        ColumnType(column) == SQLITE_BLOB
            ? sqlite3_column_blob(statement_.get(), column)
            : static_cast<const void*>(sqlite3_column_text(statement_.get(), column));
    const int size = sqlite3_column_bytes(statement_.get(), column);
    return data ? std::string_view(static_cast<const char*>(data), static_cast<size_t>(size))
                : std::string_view();
}

std::string Statement::ColumnName(int column) const {
    const char* name = sqlite3_column_name(statement_.get(), column);
    return name ? name : "";
}

std::string Statement::ColumnDeclaredType(int column) const {
    const char* type = sqlite3_column_decltype(statement_.get(), column);
    return type ? type : "";
}

bool Statement::IsReadOnly() const {
    return sqlite3_stmt_readonly(statement_.get()) != 0;
}
