// What goes wrong below the public classes travels as a DbError: the code,
// source and description that the classes turn into their diagnostic texts.
#pragma once

#include "base/win32.h"

#include <stdexcept>
#include <string>

struct sqlite3;

// The codes ADO and the Jet provider give for the same situations, so that
// callers comparing codes see what they would have seen there.
namespace db_code {
constexpr HRESULT kUnspecified = static_cast<HRESULT>(0x80004005L);
constexpr HRESULT kErrorsInCommand = static_cast<HRESULT>(0x80040E14L);
constexpr HRESULT kDataSourceExists = static_cast<HRESULT>(0x80040E17L);
constexpr HRESULT kNoSuchTable = static_cast<HRESULT>(0x80040E37L);
constexpr HRESULT kTableExists = static_cast<HRESULT>(0x80040E3FL);
constexpr HRESULT kNoCurrentRecord = static_cast<HRESULT>(0x800A0BCDL);
constexpr HRESULT kNotSupported = static_cast<HRESULT>(0x800A0CB3L);
constexpr HRESULT kItemNotFound = static_cast<HRESULT>(0x800A0CC1L);
constexpr HRESULT kProviderNotFound = static_cast<HRESULT>(0x800A0E7AL);
constexpr HRESULT kObjectClosed = static_cast<HRESULT>(0x800A0E78L);
constexpr HRESULT kInvalidConnection = static_cast<HRESULT>(0x800A0E7DL);
} // namespace db_code

// The provider named by every connection string the program builds; also the
// source of the errors the database engine reports.
constexpr const char* kJetProvider = "Microsoft.JET.OLEDB.4.0";
constexpr const char* kConnectionSource = "ADODB.Connection";
constexpr const char* kRecordsetSource = "ADODB.Recordset";
constexpr const char* kFieldSource = "ADODB.Field";

class DbError : public std::runtime_error {
public:
    // `description` is ANSI text, ready to be shown.
    DbError(HRESULT code, std::string source, const std::string& description, bool lasting = false)
        : std::runtime_error(description), code_(code), source_(std::move(source)),
          lasting_(lasting) {}

    HRESULT code() const { return code_; }
    const std::string& source() const { return source_; }
    std::string description() const { return what(); }
    // The file itself refuses (full, read-only, locked past the wait, gone
    // or damaged): trying the next row fails the same way.
    bool lasting() const { return lasting_; }

private:
    HRESULT code_;
    std::string source_;
    bool lasting_;
};

// The engine's last error on `db`, with the code chosen by what it says.
DbError EngineError(sqlite3* db);
DbError EngineError(const std::string& utf8Message);
