// Column properties ("Description", "Jet OLEDB:Allow Zero Length") live in
// the file, in a system table of the layer, as Jet keeps its own: the table
// list of the catalog and of the schema rowsets leaves it out.
#pragma once

#include "db/field_value.h"

#include <sqlite3.h>

#include <string>
#include <vector>

constexpr const char* kPropertyTable = "MSysColumnProperties";
// Where a restore notes the rows it has staged (see restore_journal.h).
constexpr const char* kRestoreJournalTable = "MSysRestoreJournal";

// Tables nobody lists: the engine's own, the property table, the restore
// journal and the attachment store's three (attachment_store.h). UTF-8 name.
bool IsHiddenTable(const std::string& table);

void CreatePropertyTable(sqlite3* db);

// Names are UTF-8 and compared ignoring case, as table and column names are.
void WriteColumnProperty(sqlite3* db, const std::string& table, const std::string& column,
                         const std::string& property, const FieldValue& value);
bool ReadColumnProperty(sqlite3* db, const std::string& table, const std::string& column,
                        const std::string& property, FieldValue& value);
// A table of the same name made later must not inherit a dropped one's properties.
void ForgetTableProperties(sqlite3* db, const std::string& table);

struct ColumnProperty {
    std::string table;
    std::string column;
    FieldValue value;
};
// One property of every column of every table.
std::vector<ColumnProperty> ReadPropertyOfAllColumns(sqlite3* db, const std::string& property);
