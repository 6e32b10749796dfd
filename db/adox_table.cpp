#include "db/adox_table.h"

#include "db/ado_diagnostic.h"
#include "db/adox_catalog.h"
#include "base/ansi_text.h"
#include "db/column_properties.h"
#include "db/column_types.h"
#include "db/db_connection.h"
#include "db/sql_text.h"
#include "db/sqlite_statement.h"
#include "db/table_info.h"

#include "base/win32.h"

namespace {

constexpr const char* kTableError = "CADOXTable Error";

DbConnection& CatalogConnection(const CADOXCatalog& catalog) {
    DbConnection* connection = catalog.Connection();
    if (!connection) {
        throw DbError(db_code::kInvalidConnection, kConnectionSource,
                      "The connection cannot be used to perform this operation. It is either "
                      "closed or invalid in this context.");
    }
    return *connection;
}

[[noreturn]] void ThrowNotAllowed() {
    throw DbError(db_code::kNotSupported, kConnectionSource,
                  "Object or provider is not capable of performing requested operation.");
}

// Index names are one namespace for the whole file; the table's name in
// front keeps those of different tables apart.
void CreateIndex(sqlite3* db, const std::string& table, const CADOXIndex& index) {
    std::string columns;
    for (const std::string& column : index.Columns()) {
        columns += (columns.empty() ? "" : ", ") + QuoteIdentifier(AnsiToUtf8(column));
    }
    Statement(db, "CREATE INDEX " + QuoteIdentifier(table + "." + AnsiToUtf8(index.Name())) +
                      " ON " + QuoteIdentifier(table) + " (" + columns + ")")
        .Run();
}

} // namespace

bool CADOXTable::PropertyKey::operator<(const PropertyKey& other) const {
    return column != other.column ? column < other.column : property < other.property;
}

CADOXTable::CADOXTable(CADOXCatalog& catalog, const std::string& name) : catalog_(catalog) {
    if (name.empty()) {
        return;
    }
    try {
        DbConnection& connection = CatalogConnection(catalog_);
        const std::vector<ColumnInfo> columns = TableColumns(connection.Handle(), AnsiToUtf8(name));
        if (columns.empty()) {
            throw EngineError("no such table: " + AnsiToUtf8(name));
        }
        for (const ColumnInfo& column : columns) {
            columns_.push_back({Utf8ToAnsi(column.name), column.declaredType});
        }
        name_ = name;
        defined_ = true;
        appended_ = true;
    } catch (const DbError& error) {
        TraceCatalogError(kTableError, error);
    }
}

bool CADOXTable::Define(const std::string& name) {
    try {
        if (name.empty() || appended_) {
            ThrowNotAllowed();
        }
        name_ = name;
        defined_ = true;
        return true;
    } catch (const DbError& error) {
        TraceCatalogError(kTableError, error);
        return false;
    }
}

bool CADOXTable::HasColumn(const std::string& column) const {
    for (const ColumnDefinition& defined : columns_) {
        if (::lstrcmpiA(defined.name.c_str(), column.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

bool CADOXTable::AppendColumn(const std::string& name, int type, long definedSize) {
    try {
        const std::string declared = DeclaredTypeFor(type, definedSize);
        if (declared.empty()) {
            throw DbError(db_code::kNotSupported, kConnectionSource, "Type is invalid.");
        }
        if (name.empty() || HasColumn(name)) {
            throw DbError(db_code::kNotSupported, kConnectionSource,
                          "Object is already in collection. Cannot append.");
        }
        if (appended_) {
            Statement(CatalogConnection(catalog_).Handle(),
                      "ALTER TABLE " + QuoteIdentifier(AnsiToUtf8(name_)) + " ADD COLUMN " +
                          QuoteIdentifier(AnsiToUtf8(name)) + " " + declared)
                .Run();
        }
        columns_.push_back({name, declared});
        return true;
    } catch (const DbError& error) {
        TraceCatalogError(kTableError, error);
        return false;
    }
}

bool CADOXTable::AppendIndex(const CADOXIndex& index) {
    try {
        if (!defined_ || index.Name().empty() || index.Columns().empty()) {
            ThrowNotAllowed();
        }
        for (const std::string& column : index.Columns()) {
            if (!HasColumn(column)) {
                throw DbError(db_code::kItemNotFound, kConnectionSource,
                              "Item cannot be found in the collection corresponding to the "
                              "requested name or ordinal.");
            }
        }
        if (appended_) {
            CreateIndex(CatalogConnection(catalog_).Handle(), AnsiToUtf8(name_), index);
        }
        indexes_.push_back(index);
        return true;
    } catch (const DbError& error) {
        TraceCatalogError(kTableError, error);
        return false;
    }
}

bool CADOXTable::SetColumnProperty(const std::string& column, const std::string& property,
                                   const FieldValue& value) {
    try {
        if (!defined_) {
            ThrowNotAllowed();
        }
        const ColumnDefinition* found = nullptr;
        for (const ColumnDefinition& defined : columns_) {
            if (::lstrcmpiA(defined.name.c_str(), column.c_str()) == 0) {
                found = &defined;
            }
        }
        if (!found) {
            throw DbError(db_code::kItemNotFound, kConnectionSource,
                          "Item cannot be found in the collection corresponding to the requested "
                          "name or ordinal.");
        }
        if (appended_) {
            WriteColumnProperty(CatalogConnection(catalog_).Handle(), AnsiToUtf8(name_),
                                AnsiToUtf8(found->name), property, value);
        } else {
            properties_[{found->name, property}] = value;
        }
        return true;
    } catch (const DbError& error) {
        TraceCatalogError("CADOXField Error", error);
        return false;
    }
}

void CADOXTable::Create(DbConnection& connection) const {
    sqlite3* db = connection.Handle();
    const std::string table = AnsiToUtf8(name_);
    if (columns_.empty()) {
        throw DbError(db_code::kUnspecified, kJetProvider,
                      "Table '" + name_ + "' must have at least one column.");
    }
    std::string definitions;
    for (const ColumnDefinition& column : columns_) {
        definitions += (definitions.empty() ? "" : ", ") +
                       QuoteIdentifier(AnsiToUtf8(column.name)) + " " + column.declaredType;
    }
    Statement(db, "CREATE TABLE " + QuoteIdentifier(table) + " (" + definitions + ")").Run();
    ForgetTableProperties(db, table);
    for (const auto& property : properties_) {
        WriteColumnProperty(db, table, AnsiToUtf8(property.first.column), property.first.property,
                            property.second);
    }
    for (const CADOXIndex& index : indexes_) {
        CreateIndex(db, table, index);
    }
}
