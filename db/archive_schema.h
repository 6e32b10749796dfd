// The archive file's layout: one table per archived mailbox, with nine
// columns, and the statements the tasks and the viewer run against it.
// Problems are shown to the user here, through the module's message box.
#pragma once

#include "db/ado_database.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The nine columns, in the order a row is written.
namespace mailbox_column {
constexpr const char* kId = "id";
constexpr const char* kStatus = "S";
constexpr const char* kPriority = "P";
constexpr const char* kFrom = "From";
constexpr const char* kDate = "Date";
constexpr const char* kSize = "Size";
constexpr const char* kSubject = "Subject";
constexpr const char* kTo = "To";
constexpr const char* kMessage = "message";
} // namespace mailbox_column

std::string ArchiveConnectionString(const std::string& databasePath);

// The statements, with the table name quoted so that any name the file
// holds, also one with a "]" or a quote in it, stays one name.
std::string CountRowsSql(const std::string& tableName);
std::string DeleteRowSql(const std::string& tableName, int id);
// The row at `rowid`, the row's own place in its table.
std::string RowAtSql(const std::string& tableName, long long rowid);
// The rows of one id, in the table's order; the index on `id` finds them.
std::string RowsWithIdSql(const std::string& tableName, int id);

// A new, empty archive file; false when it exists or cannot be made.
bool CreateArchiveDatabase(const std::string& connectionString);

// Compares names exactly. No when the file cannot be opened.
bool TableExists(const std::string& connectionString, const std::string& tableName);

// Makes the table with its nine columns; the path of the mailbox file goes
// into the Description of `id`. True also when a table of that name exists.
bool CreateMailboxTable(const std::string& connectionString, const std::string& tableName,
                        const std::string& mailboxPath);

// The archive tables of the file, in the catalog's order.
std::vector<std::string> ArchiveTables(const std::string& connectionString);

// The record count of "SELECT * FROM table"; 0 after a shown error.
int CountArchiveRows(CADODatabase& database, const std::string& tableName);

// The decoded name and the count: "Work.Old (12)".
std::string ArchiveCaption(const std::string& tableName, int rowCount);

// The stored text of the row at `rowid` (its bookmark): ids repeat when a
// mailbox is archived twice or a table was filled elsewhere, places do not.
// Without a rowid (a table without row ids), the first row of `id`. Empty
// when there is none. Throws CADOException on a database error.
std::string ArchivedMessageText(CADODatabase& database, const std::string& tableName,
                                std::optional<long long> rowid, int id);

// A row the archive task wrote, or found written before, known by its id and
// the folded check of its text (MessageCheck::Folded).
struct WrittenRow {
    int32_t id = 0;
    uint32_t check = 0;
};
// Which of `rows` the table holds, each with its own text, read through a
// connection of its own: what counts is the file as it now is on disk, and a
// file removed under an open connection still answers that connection. Ids
// repeat (a mailbox's index rebuilt, Trash emptied between two archivings),
// so a row of the same id with another text is not the message's copy. One
// flag for each of `rows`, in their order. Throws CADOException when the
// file cannot be read.
std::vector<bool> StoredRows(const std::string& connectionString, const std::string& tableName,
                             const std::deque<WrittenRow>& rows);

// Whether an index leads with the table's `id` column, so that rows are
// found by id without reading the table. Throws CADOException.
bool HasIdIndex(CADODatabase& database, const std::string& tableName);

// Whether a row of the table has this `id` and exactly this message text.
// Throws CADOException.
bool HoldsMessage(CADODatabase& database, const std::string& tableName, int id,
                  const std::string& text);
// The place (rowid) of the first such row; nullopt when there is none.
// Throws CADOException, also for a table made elsewhere without row ids.
std::optional<long long> FindMessageRow(CADODatabase& database, const std::string& tableName,
                                        int id, const std::string& text);

// The Description of the table's `id` column; empty when there is none.
std::string MailboxPathOfTable(CADODatabase& database, const std::string& tableName);

// The archive tables and the mailbox file each records, read in one pass.
struct ArchiveTableList {
    std::vector<std::string> tables;
    std::map<std::string, std::string> mailboxPaths; // by table name
    // Tables whose mailbox now lives elsewhere: the path it has now, by
    // table name (see NoteMovedMailboxes).
    std::map<std::string, std::string> movedTo;
};
// Empty, after a shown error, when the file cannot be read.
ArchiveTableList ListArchiveTables(CADODatabase& database);
// The listed table the engine takes for `table` (it knows names without
// regard to the case of ASCII letters), or null.
const std::string* FindArchiveTable(const ArchiveTableList& archives, const std::string& table);

// The archive table of the mailbox whose file is `mailboxPath`: of the
// table named after the mailbox and those of that name with "_2", "_3", ...
// (cut to fit), the one that records this mailbox, else the table noted as
// this mailbox's before it moved, else the first that does not exist yet. Mailboxes of one name in
// two folders, and names that encode or cut alike, so keep their messages apart; a table recording
// no mailbox or another one is never taken over.
std::string MailboxTableFor(const ArchiveTableList& archives, const std::string& mailboxName,
                            const std::string& mailboxPath);
