#include "db/adox_catalog.h"

#include "db/ado_diagnostic.h"
#include "db/ado_exception.h"
#include "db/adox_table.h"
#include "base/ansi_text.h"
#include "db/table_info.h"

namespace {

constexpr const char* kCatalogError = "CADOXCatalog Error";

} // namespace

bool CADOXCatalog::MakeDatabase(const std::string& connectionString) {
    try {
        auto made = std::make_shared<DbConnection>();
        made->Create(connectionString);
        connection_ = std::move(made);
        listed_ = false;
        return true;
    } catch (const DbError& error) {
        TraceCatalogError(kCatalogError, error);
        return false;
    }
}

bool CADOXCatalog::Open(const std::string& connectionString) {
    connection_.reset();
    listed_ = false;
    try {
        auto opened = std::make_shared<DbConnection>();
        opened->Open(connectionString);
        connection_ = std::move(opened);
        return true;
    } catch (const DbError& error) {
        TraceCatalogError(kCatalogError, error);
        return false;
    }
}

DbConnection* CADOXCatalog::Connection() const {
    return connection_ && connection_->IsOpen() ? connection_.get() : nullptr;
}

const std::vector<std::string>& CADOXCatalog::Tables() {
    if (!Connection()) {
        throw DbError(db_code::kInvalidConnection, kConnectionSource,
                      "The connection cannot be used to perform this operation. It is either "
                      "closed or invalid in this context.");
    }
    if (!listed_) {
        tables_.clear();
        for (const std::string& table : UserTables(connection_->Handle())) {
            tables_.push_back(Utf8ToAnsi(table));
        }
        listed_ = true;
    }
    return tables_;
}

long CADOXCatalog::TableCount() {
    try {
        return static_cast<long>(Tables().size());
    } catch (const DbError& error) {
        throw CADOException(error.code(), error.description(), error.lasting());
    }
}

void CADOXCatalog::TableNameAt(long index, std::string& name) {
    try {
        const std::vector<std::string>& tables = Tables();
        if (index < 0 || static_cast<size_t>(index) >= tables.size()) {
            throw DbError(db_code::kItemNotFound, kConnectionSource,
                          "Item cannot be found in the collection corresponding to the requested "
                          "name or ordinal.");
        }
        name = tables[static_cast<size_t>(index)];
    } catch (const DbError& error) {
        throw CADOException(error.code(), error.description(), error.lasting());
    }
}

bool CADOXCatalog::AppendTable(CADOXTable& table) {
    try {
        if (!Connection() || &table.catalog_ != this || !table.defined_ || table.appended_) {
            throw DbError(db_code::kNotSupported, kConnectionSource,
                          "Object or provider is not capable of performing requested operation.");
        }
        connection_->BeginTrans();
        try {
            table.Create(*connection_);
            connection_->CommitTrans();
        } catch (const DbError&) {
            try {
                connection_->RollbackTrans();
            } catch (const DbError&) {
            }
            throw;
        }
        table.MarkAppended();
        listed_ = false;
        return true;
    } catch (const DbError& error) {
        TraceCatalogError(kCatalogError, error);
        return false;
    }
}
