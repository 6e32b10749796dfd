// The file's list of tables, and the way new files and tables are made.
// Operations return false on failure and never throw, except the two list
// readers, whose errors reach the caller as CADOException.
#pragma once

#include "db/db_connection.h"

#include <memory>
#include <string>
#include <vector>

class CADOXTable;

class CADOXCatalog {
public:
    CADOXCatalog() = default;
    virtual ~CADOXCatalog() = default;
    CADOXCatalog(const CADOXCatalog&) = delete;
    CADOXCatalog& operator=(const CADOXCatalog&) = delete;

    // A new, empty database file at the connection string's path, left open
    // as the catalog's connection. False when the file exists.
    bool MakeDatabase(const std::string& connectionString);
    // Each catalog has a connection of its own; the file must exist.
    bool Open(const std::string& connectionString);

    // The tables as listed when the catalog was opened or last appended to.
    long TableCount();
    void TableNameAt(long index, std::string& name);

    // Creates the table with its columns, properties and indexes in one
    // transaction. False (and nothing changed) when the name is taken.
    bool AppendTable(CADOXTable& table);

    // For the table and field objects of this catalog; null when not open.
    DbConnection* Connection() const;

private:
    const std::vector<std::string>& Tables();

    std::shared_ptr<DbConnection> connection_;
    std::vector<std::string> tables_;
    bool listed_ = false;
};
