#include "db/archive_schema.h"

#include <algorithm>

#include "db/ado_constants.h"
#include "db/ado_recordset.h"
#include "db/adox_catalog.h"
#include "db/adox_field.h"
#include "db/adox_table.h"
#include "db/mailbox_table_name.h"
#include "db/message_check.h"
#include "db/stored_message.h"
#include "db/sql_text.h"

#include "base/file_utils.h"
#include "base/message_box.h"

namespace {

// Whether the catalog lists `tableName`, compared as the engine compares
// names (ignoring case) or exactly.
bool CatalogLists(CADOXCatalog& catalog, const std::string& tableName, bool ignoreCase) {
    const long count = catalog.TableCount();
    for (long i = 0; i < count; ++i) {
        std::string name;
        catalog.TableNameAt(i, name);
        if (ignoreCase ? ::lstrcmpiA(name.c_str(), tableName.c_str()) == 0 : name == tableName) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string ArchiveConnectionString(const std::string& databasePath) {
    return "Provider=Microsoft.JET.OLEDB.4.0;Data Source=" + databasePath;
}

std::string RowAtSql(const std::string& tableName, long long rowid) {
    return "SELECT message FROM " + QuoteIdentifier(tableName) +
           " WHERE rowid = " + std::to_string(rowid);
}

std::string RowsWithIdSql(const std::string& tableName, int id) {
    return "SELECT * FROM " + QuoteIdentifier(tableName) + " WHERE id = " + std::to_string(id);
}

std::string CountRowsSql(const std::string& tableName) {
    return "SELECT * FROM " + QuoteIdentifier(tableName);
}

std::string DeleteRowSql(const std::string& tableName, int id) {
    return "DELETE * FROM " + QuoteIdentifier(tableName) + " WHERE id = " + std::to_string(id);
}

bool CreateArchiveDatabase(const std::string& connectionString) {
    CADOXCatalog catalog;
    return catalog.MakeDatabase(connectionString);
}

bool TableExists(const std::string& connectionString, const std::string& tableName) {
    try {
        CADOXCatalog catalog;
        return catalog.Open(connectionString) && CatalogLists(catalog, tableName, false);
    } catch (const CADOException& error) {
        ShowStandardErrorBox(error.GetErrorMessage());
        return false;
    }
}

bool CreateMailboxTable(const std::string& connectionString, const std::string& tableName,
                        const std::string& mailboxPath) {
    if (tableName.empty()) {
        return false;
    }
    try {
        CADOXCatalog catalog;
        if (!catalog.Open(connectionString)) {
            return false;
        }
        CADOXTable table(catalog);
        if (table.Define(tableName)) {
            using namespace mailbox_column;
            table.AppendColumn(kId, adInteger, 0);
            table.AppendColumn(kStatus, adInteger, 0);
            table.AppendColumn(kPriority, adLongVarWChar, 0);
            table.AppendColumn(kFrom, adLongVarWChar, 0);
            table.AppendColumn(kDate, adLongVarWChar, 0);
            table.AppendColumn(kSize, adInteger, 0);
            table.AppendColumn(kSubject, adLongVarWChar, 0);
            table.AppendColumn(kTo, adLongVarWChar, 0);
            table.AppendColumn(kMessage, adLongVarWChar, 0);
            for (const char* column : {kPriority, kFrom, kDate, kSubject, kTo, kMessage}) {
                CADOXField(table, column).AllowEmptyText(true);
            }
            CADOXField(table, kId).SetColumnDescription(mailboxPath);
            // Restoring deletes rows by id, one at a time; without an index
            // each delete would read the whole table, message texts and all.
            CADOXIndex byId;
            byId.Define(kId);
            byId.AppendColumn(kId);
            table.AppendIndex(byId);
        }
        // A table of that name made earlier serves as well.
        return catalog.AppendTable(table) || CatalogLists(catalog, tableName, true);
    } catch (const CADOException& error) {
        ShowStandardErrorBox(error.GetErrorMessage());
        return false;
    }
}

std::vector<std::string> ArchiveTables(const std::string& connectionString) {
    std::vector<std::string> tables;
    try {
        CADOXCatalog catalog;
        if (!catalog.Open(connectionString)) {
            return tables;
        }
        const long count = catalog.TableCount();
        for (long i = 0; i < count; ++i) {
            std::string name;
            catalog.TableNameAt(i, name);
            if (IsArchiveTableName(name)) {
                tables.push_back(name);
            }
        }
    } catch (const CADOException& error) {
        ShowStandardErrorBox(error.GetErrorMessage());
        tables.clear();
    }
    return tables;
}

int CountArchiveRows(CADODatabase& database, const std::string& tableName) {
    try {
        CADORecordset rows(database);
        if (rows.Open(CountRowsSql(tableName), CADORecordset::OpenAuto)) {
            return static_cast<int>(rows.CountRows());
        }
    } catch (const CADOException& error) {
        ShowStandardErrorBox(error.GetErrorMessage());
    }
    return 0;
}

std::string ArchiveCaption(const std::string& tableName, int rowCount) {
    return MailboxNameFromTableName(tableName) + " (" + std::to_string(rowCount) + ")";
}

std::string MailboxPathOfTable(CADODatabase& database, const std::string& tableName) {
    std::string path;
    try {
        CADORecordset tables(database);
        tables.OpenSchema(adSchemaTables);
        bool listed = false;
        while (!listed && !tables.AtEnd()) {
            std::string name;
            tables.ReadField("TABLE_NAME", name);
            listed = name == tableName;
            if (!listed) {
                tables.MoveNext();
            }
        }
        if (listed) {
            CADORecordset columns(database);
            columns.OpenSchema(adSchemaColumns);
            for (; !columns.AtEnd(); columns.MoveNext()) {
                std::string table, column;
                columns.ReadField("TABLE_NAME", table);
                columns.ReadField("COLUMN_NAME", column);
                if (table == tableName && column == mailbox_column::kId) {
                    columns.ReadField("DESCRIPTION", path);
                    break;
                }
            }
            columns.Close();
        }
        tables.Close();
    } catch (const CADOException& error) {
        ShowStandardErrorBox(error.GetErrorMessage());
        path.clear();
    }
    return path;
}

std::vector<bool> StoredRows(const std::string& connectionString, const std::string& tableName,
                             const std::deque<WrittenRow>& rows) {
    std::vector<bool> stored(rows.size(), false);
    if (rows.empty()) {
        return stored;
    }
    CADODatabase reader;
    reader.Open(connectionString);
    // In slices, so that no statement grows with the mailbox, and only the
    // texts of one slice's ids are held at a time, as checks.
    const size_t kSlice = 500;
    for (size_t first = 0; first < rows.size(); first += kSlice) {
        const size_t last = std::min(rows.size(), first + kSlice);
        std::string list;
        for (size_t i = first; i < last; ++i) {
            list += (list.empty() ? "" : ",") + std::to_string(rows[i].id);
        }
        std::set<std::pair<int32_t, uint32_t>> found;
        CADORecordset read(reader);
        read.Open("SELECT id, message FROM " + QuoteIdentifier(tableName) + " WHERE id IN (" +
                      list + ")",
                  CADORecordset::OpenQuery);
        std::string text;
        for (; !read.AtEnd(); read.MoveNext()) {
            int id = 0;
            if (read.ReadField(mailbox_column::kId, id) &&
                read.ReadField(mailbox_column::kMessage, text)) {
                found.emplace(id, MessageChecksum(text).Folded());
            }
        }
        for (size_t i = first; i < last; ++i) {
            stored[i] = found.count({rows[i].id, rows[i].check}) > 0;
        }
    }
    return stored;
}

bool HasIdIndex(CADODatabase& database, const std::string& tableName) {
    CADORecordset indexes(database);
    indexes.Open("SELECT 1 AS found FROM pragma_index_list(" + QuoteText(tableName) +
                     ") AS list, pragma_index_info(list.name) AS part"
                     " WHERE part.seqno = 0 AND part.name = 'id' COLLATE NOCASE",
                 CADORecordset::OpenQuery);
    return !indexes.AtEnd();
}

bool HoldsMessage(CADODatabase& database, const std::string& tableName, int id,
                  const std::string& text) {
    CADORecordset rows(database);
    rows.Open("SELECT message FROM " + QuoteIdentifier(tableName) +
                  " WHERE id = " + std::to_string(id),
              CADORecordset::OpenQuery);
    for (; !rows.AtEnd(); rows.MoveNext()) {
        std::string stored;
        if (rows.ReadField(mailbox_column::kMessage, stored) && stored == text) {
            return true;
        }
    }
    return false;
}

std::optional<long long> FindMessageRow(CADODatabase& database, const std::string& tableName,
                                        int id, const std::string& text) {
    CADORecordset rows(database);
    rows.Open("SELECT rowid AS RowPlace, message FROM " + QuoteIdentifier(tableName) +
                  " WHERE id = " + std::to_string(id) + " ORDER BY rowid",
              CADORecordset::OpenQuery);
    for (; !rows.AtEnd(); rows.MoveNext()) {
        std::string stored;
        if (rows.ReadField(mailbox_column::kMessage, stored) && stored == text) {
            // Read as text: a place may pass what an int holds.
            std::string place;
            rows.ReadField("RowPlace", place);
            try {
                return std::stoll(place);
            } catch (const std::exception&) {
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

std::string ArchivedMessageText(CADODatabase& database, const std::string& tableName,
                                std::optional<long long> rowid, int id) {
    return ReadStoredMessage(database, tableName, rowid, id).text;
}

ArchiveTableList ListArchiveTables(CADODatabase& database) {
    ArchiveTableList list;
    list.tables = ArchiveTables(database.GetConnectionString());
    if (list.tables.empty()) {
        return list;
    }
    try {
        CADORecordset columns(database);
        columns.OpenSchema(adSchemaColumns);
        for (; !columns.AtEnd(); columns.MoveNext()) {
            std::string table, column, path;
            columns.ReadField("TABLE_NAME", table);
            columns.ReadField("COLUMN_NAME", column);
            if (column == mailbox_column::kId && IsArchiveTableName(table)) {
                columns.ReadField("DESCRIPTION", path);
                list.mailboxPaths[table] = path;
            }
        }
    } catch (const CADOException& error) {
        ShowStandardErrorBox(error.GetErrorMessage());
        list = ArchiveTableList();
    }
    return list;
}

const std::string* FindArchiveTable(const ArchiveTableList& archives, const std::string& table) {
    const auto found =
        std::find_if(archives.tables.begin(), archives.tables.end(),
                     [&](const std::string& listed) { return SameName(listed, table); });
    return found == archives.tables.end() ? nullptr : &*found;
}

std::string MailboxTableFor(const ArchiveTableList& archives, const std::string& mailboxName,
                            const std::string& mailboxPath) {
    const std::string base = TableNameFromMailboxName(mailboxName);
    std::string moved;
    for (const auto& [table, path] : archives.movedTo) {
        if (SamePathIgnoringCase(path, mailboxPath)) {
            moved = table;
        }
    }
    // Far more than any folder tree holds mailboxes of one name.
    const int kMostTries = 1000;
    for (int number = 1; number <= kMostTries; ++number) {
        std::string candidate = base;
        if (number > 1) {
            const std::string suffix = "_" + std::to_string(number);
            candidate = base.substr(0, kMaxTableNameLength - suffix.size()) + suffix;
        }
        const std::string* existing = FindArchiveTable(archives, candidate);
        if (!existing) {
            return moved.empty() ? candidate : moved;
        }
        // The plug-in never drops a table, so a mailbox's own table comes
        // before the first free name.
        const auto recorded = archives.mailboxPaths.find(*existing);
        if (recorded != archives.mailboxPaths.end() &&
            SamePathIgnoringCase(recorded->second, mailboxPath)) {
            return *existing;
        }
    }
    return moved.empty() ? base : moved;
}
