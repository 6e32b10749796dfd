#include "db/ado_recordset.h"

#include "db/ado_constants.h"
#include "db/ado_diagnostic.h"
#include "base/ansi_text.h"
#include "db/field_conversion.h"
#include "db/materialized_rows.h"
#include "db/schema_rowsets.h"
#include "db/sql_text.h"
#include "db/table_cursor.h"

#include <cstdio>

namespace {

std::string WithoutLeadingBlanks(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(" \t\r\n\v\f");
    return first == std::string::npos ? std::string() : text.substr(first);
}

// A table name may come bracketed, as it would be written in SQL.
std::string TableNameOf(const std::string& source) {
    if (source.size() >= 2 && source.front() == '[' && source.back() == ']') {
        return source.substr(1, source.size() - 2);
    }
    return source;
}

// The whole text is one identifier: what ADO tries as a table name when a
// command of unknown type is not a statement.
bool IsLoneIdentifier(const std::string& text, std::string& name) {
    std::string::size_type pos = 0;
    return ReadIdentifier(text, pos, name) &&
           text.find_first_not_of(" \t\r\n\v\f;", pos) == std::string::npos;
}

} // namespace

template <typename Action> auto CADORecordset::Guarded(Action action) const -> decltype(action()) {
    try {
        return action();
    } catch (const DbError& error) {
        Fail(error);
    }
}

CADORecordset::CADORecordset(CADODatabase& database)
    : connection_(database.GetActiveConnection()) {}

CADORecordset::~CADORecordset() {
    Close();
}

void CADORecordset::Fail(const DbError& error) const {
    lastError_ = "Query = " + query_ + "\n" + DiagnosticText("CADORecordset Error", error);
    lastCode_ = static_cast<DWORD>(error.code());
    throw CADOException(error.code(), error.description(), error.lasting());
}

RowSource& CADORecordset::Rows() const {
    if (!rows_ || !rows_->Attached()) {
        throw DbError(db_code::kObjectClosed, kRecordsetSource,
                      "Operation is not allowed when the object is closed.");
    }
    return *rows_;
}

DbConnection& CADORecordset::Connection() const {
    if (!connection_ || !connection_->IsOpen()) {
        throw DbError(db_code::kInvalidConnection, kRecordsetSource,
                      "The connection cannot be used to perform this operation. It is either "
                      "closed or invalid in this context.");
    }
    return *connection_;
}

bool CADORecordset::Open(const ConnectionHandle& connection, const std::string& source,
                         int option) {
    Close();
    if (!source.empty()) {
        query_ = source;
    }
    if (!connection_) {
        connection_ = connection;
    }
    query_ = WithoutLeadingBlanks(query_);

    switch (option) {
    case OpenAuto:
    case OpenQuery:
        cursorType_ = adOpenStatic;
        lockType_ = adLockOptimistic;
        commandType_ = adCmdUnknown;
        Guarded([&] { OpenQueryRows(); });
        break;
    case OpenTable:
        cursorType_ = adOpenKeyset;
        lockType_ = adLockOptimistic;
        commandType_ = adCmdTable;
        Guarded([&] {
            const std::string table = AnsiToUtf8(TableNameOf(query_));
            if (TableCursor::Walkable(Connection(), table)) {
                rows_ = std::make_unique<TableCursor>(connection_, table, "");
            } else {
                rows_ = MaterializedRows::FromQuery(Connection(),
                                                    "SELECT * FROM " + QuoteIdentifier(table));
            }
        });
        break;
    case OpenProcedure:
        // Jet's stored procedures are its saved queries: views here.
        cursorType_ = adOpenStatic;
        lockType_ = adLockOptimistic;
        commandType_ = adCmdStoredProc;
        Guarded([&] {
            rows_ = MaterializedRows::FromQuery(
                Connection(), "SELECT * FROM " + QuoteIdentifier(AnsiToUtf8(TableNameOf(query_))));
        });
        break;
    default:
#ifndef NDEBUG
    {
        char trace[64];
        std::snprintf(trace, sizeof trace, "Unknown parameter. %d", option);
        ::OutputDebugStringA(trace);
    }
#endif
        return false;
    }
    return IsOpen();
}

bool CADORecordset::Open(const std::string& source, int option) {
    return Open(connection_, source, option);
}

void CADORecordset::OpenQueryRows() {
    DbConnection& connection = Connection();
    const std::string sql = AnsiToUtf8(query_);
    std::string table, rest;
    // The program's "SELECT * FROM table" (counted, then maybe walked) keeps
    // only row identities; any other query, whose clauses may mean anything,
    // is run as it stands and held whole.
    if (ParseSelectAllFrom(sql, table, rest) &&
        rest.find_first_not_of(" \t\r\n;") == std::string::npos &&
        TableCursor::Walkable(connection, table)) {
        rows_ = std::make_unique<TableCursor>(connection_, table, "");
        return;
    }
    try {
        rows_ = MaterializedRows::FromQuery(connection, sql);
    } catch (const DbError&) {
        if (!IsLoneIdentifier(sql, table) || !TableCursor::Walkable(connection, table)) {
            throw;
        }
        rows_ = std::make_unique<TableCursor>(connection_, table, "");
    }
}

bool CADORecordset::OpenSchema(int schema, const std::string& schemaId) {
    Close();
    if (!schemaId.empty()) {
        schema = adSchemaProviderSpecific;
    }
    return Guarded([&] {
        switch (schema) {
        case adSchemaTables:
            rows_ = TablesRowset(Connection());
            break;
        case adSchemaColumns:
            rows_ = ColumnsRowset(Connection());
            break;
        default:
            throw DbError(db_code::kNotSupported, kConnectionSource,
                          "Object or provider is not capable of performing requested operation.");
        }
        return true;
    });
}

bool CADORecordset::IsOpen() const {
    return rows_ && rows_->Attached();
}

void CADORecordset::Close() {
    if (IsOpen() && editStatus_ != EditNone) {
        CancelUpdate();
    }
    editStatus_ = EditNone;
    rows_.reset();
}

bool CADORecordset::AtEnd() const {
    return Guarded([&] { return Rows().AtEnd(); });
}

// Moving away from a row being edited saves the edit first, as ADO does;
// nothing written is dropped without a word.
void CADORecordset::MoveFirst() {
    Update();
    Guarded([&] { Rows().MoveFirst(); });
}

void CADORecordset::MoveNext() {
    Update();
    Guarded([&] { Rows().MoveNext(); });
}

long CADORecordset::CountRows() {
    // A static cursor always knows its count, so the rows are never walked
    // to learn it.
    return Guarded([&] { return Rows().Count(); });
}

bool CADORecordset::ReadField(const std::string& field, int& value) {
    return Guarded([&] {
        value = FieldValueToInt(Rows().Read(field));
        return true;
    });
}

bool CADORecordset::ReadField(const std::string& field, std::string& value,
                              const std::string& dateFormat) {
    return Guarded([&] { return FieldValueToText(Rows().Read(field), dateFormat, value); });
}

bool CADORecordset::ReadField(const std::string& field, std::string& value, bool& exact) {
    return Guarded([&] {
        const FieldValue stored = Rows().Read(field);
        exact = stored.exact;
        return FieldValueToText(stored, "", value);
    });
}

bool CADORecordset::ReadFieldUtf8(const std::string& field, std::string& utf8) {
    return Guarded([&] {
        FieldValue stored = Rows().Read(field);
        if (!stored.exact) {
            utf8 = std::move(stored.utf8);
            return true;
        }
        std::string text;
        if (!FieldValueToText(stored, "", text)) {
            return false;
        }
        // Bytes the code page cannot carry as characters were kept as bytes.
        if (!AnsiToUtf8Exact(text, utf8)) {
            utf8 = std::move(text);
        }
        return true;
    });
}

long long CADORecordset::GetBookmark() {
    return Guarded([&] { return Rows().Bookmark(); });
}

void CADORecordset::SetBookmark(long long bookmark) {
    Guarded([&] { Rows().MoveToBookmark(bookmark); });
    editStatus_ = EditNone;
}

bool CADORecordset::Delete() {
    Guarded([&] { Rows().DeleteCurrent(); });
    editStatus_ = EditNone;
    return true;
}

bool CADORecordset::AddNew() {
    editStatus_ = EditNone;
    Guarded([&] { Rows().BeginInsert(); });
    editStatus_ = EditNew;
    return true;
}

bool CADORecordset::WriteField(const std::string& field, const std::string& value) {
    return Write(field, value.empty() ? FieldValue::Null() : FieldValue::Text(value));
}

bool CADORecordset::WriteField(const std::string& field, int value) {
    return Write(field, FieldValue::Integer(value));
}

// A value written without AddNew or BeginEdit starts an edit of the current
// row, which Update then saves.
bool CADORecordset::Write(const std::string& field, const FieldValue& value) {
    Guarded([&] { Rows().Write(field, value); });
    if (editStatus_ == EditNone) {
        editStatus_ = EditExisting;
    }
    return true;
}

bool CADORecordset::Update() {
    if (editStatus_ == EditNone) {
        return true;
    }
    editStatus_ = EditNone;
    return Guarded([&] {
        try {
            Rows().SavePending();
        } catch (const DbError&) {
            // A row that could not be saved must not be saved later by accident.
            if (rows_) {
                rows_->CancelPending();
            }
            throw;
        }
        return true;
    });
}

void CADORecordset::CancelUpdate() {
    if (rows_) {
        rows_->CancelPending();
    }
    editStatus_ = EditNone;
}
