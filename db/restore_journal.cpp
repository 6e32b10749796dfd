#include "db/restore_journal.h"

#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/attachment_store.h"
#include "db/column_properties.h"
#include "db/sql_text.h"
#include "db/write_transaction.h"

namespace {

std::string Journal() {
    return QuoteIdentifier(kRestoreJournalTable);
}

std::string OfTable(const std::string& table) {
    return " WHERE TableName = " + QuoteText(table);
}

} // namespace

bool RestoreJournal::Exists() {
    CADORecordset probe(database_);
    probe.Open("SELECT name FROM sqlite_master WHERE type = 'table' AND name = " +
                   QuoteText(kRestoreJournalTable),
               CADORecordset::OpenQuery);
    return !probe.AtEnd();
}

void RestoreJournal::Record(const std::string& table, size_t count,
                            const std::function<JournalEntry(size_t)>& entryAt) {
    WriteTransaction transaction(database_);
    database_.Execute("CREATE TABLE IF NOT EXISTS " + Journal() +
                      " (TableName TEXT NOT NULL, Place INTEGER NOT NULL, RowId TEXT NOT NULL,"
                      " Id INTEGER NOT NULL, Checksum TEXT NOT NULL)");
    database_.Execute("DELETE FROM " + Journal() + OfTable(table));
    const std::string into = "INSERT INTO " + Journal() + " VALUES (" + QuoteText(table) + ", ";
    for (size_t index = 0; index < count; ++index) {
        const JournalEntry entry = entryAt(index);
        database_.Execute(into + std::to_string(entry.place) + ", '" + std::to_string(entry.rowid) +
                          "', " + std::to_string(entry.id) + ", " +
                          QuoteText(entry.checksum.Text()) + ")");
    }
    transaction.Commit();
}

std::vector<JournalEntry> RestoreJournal::Entries(const std::string& table) {
    std::vector<JournalEntry> entries;
    if (!Exists()) {
        return entries;
    }
    CADORecordset rows(database_);
    rows.Open("SELECT Place, RowId, Id, Checksum FROM " + Journal() + OfTable(table) +
                  " ORDER BY Place",
              CADORecordset::OpenQuery);
    for (; !rows.AtEnd(); rows.MoveNext()) {
        JournalEntry entry;
        int place = 0;
        std::string rowid;
        rows.ReadField("Place", place);
        rows.ReadField("RowId", rowid);
        rows.ReadField("Id", entry.id);
        std::string checksum;
        rows.ReadField("Checksum", checksum);
        entry.checksum = MessageCheck::FromText(checksum);
        entry.place = place;
        try {
            entry.rowid = std::stoll(rowid);
        } catch (const std::exception&) {
            continue; // not one of ours: never acted on
        }
        entries.push_back(entry);
    }
    return entries;
}

std::optional<RestoreJournal::StagedRow> RestoreJournal::Staged(const std::string& table,
                                                                const JournalEntry& entry) {
    CADORecordset row(database_);
    try {
        row.Open("SELECT id, S, message FROM " + QuoteIdentifier(table) +
                     " WHERE rowid = " + std::to_string(entry.rowid),
                 CADORecordset::OpenQuery);
    } catch (const CADOException& failure) {
        if (failure.IsLasting()) {
            throw;
        }
        return std::nullopt; // a table without row ids: its rows are not told apart
    }
    if (row.AtEnd()) {
        return std::nullopt;
    }
    int id = 0;
    StagedRow staged;
    row.ReadField(mailbox_column::kId, id);
    row.ReadField(mailbox_column::kStatus, staged.status);
    row.ReadField(mailbox_column::kMessage, staged.text);
    if (id != entry.id || MessageChecksum(staged.text) != entry.checksum) {
        return std::nullopt;
    }
    return staged;
}

void RestoreJournal::RemoveRow(const std::string& table, const JournalEntry& entry) {
    WriteTransaction transaction(database_);
    database_.Execute("DELETE FROM " + QuoteIdentifier(table) +
                      " WHERE rowid = " + std::to_string(entry.rowid));
    // Rows home before a cut all share place 0: the row names its entry.
    database_.Execute("DELETE FROM " + Journal() + OfTable(table) +
                      " AND Place = " + std::to_string(entry.place) + " AND RowId = '" +
                      std::to_string(entry.rowid) + "'");
    AttachmentStore(database_).ForgetRows(table, {entry.rowid});
    transaction.Commit();
}

void RestoreJournal::Forget(const std::string& table, long place) {
    database_.Execute("DELETE FROM " + Journal() + OfTable(table) +
                      " AND Place = " + std::to_string(place));
}

void RestoreJournal::ForgetAll(const std::string& table) {
    try {
        if (Exists()) {
            database_.Execute("DELETE FROM " + Journal() + OfTable(table));
        }
    } catch (const CADOException&) {
        // Entries left behind are checked against their rows before use.
    }
}
