// What the file holds: its tables and their columns (UTF-8 names).
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

struct ColumnInfo {
    std::string name;
    std::string declaredType;
    bool notNull = false;
};

// Empty when there is no such table.
std::vector<ColumnInfo> TableColumns(sqlite3* db, const std::string& table);

// The names of the file's objects of one kind ("table", "view"), sorted by
// name ignoring case.
std::vector<std::string> SchemaObjectNames(sqlite3* db, const char* type);
// The tables a user made, sorted by name ignoring case, hidden ones left out.
std::vector<std::string> UserTables(sqlite3* db);
