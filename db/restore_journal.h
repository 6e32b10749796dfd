// Which rows a restore with deletion has staged into "Pending", kept in the
// archive file itself: between the host's move of a message and the removal
// of its row, only this tells a message already home from one still on its
// way. A restore that was cut off is finished from it.
#pragma once

#include "db/message_check.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class CADODatabase;

struct JournalEntry {
    long long rowid = 0;   // the row's place in its table
    MessageCheck checksum; // of the message text, to know the row again
    long place = 0;        // the record's place in "Pending", from 1; 0 for a row home already
    int id = 0;            // the row's `id`
};

class RestoreJournal {
public:
    explicit RestoreJournal(CADODatabase& database) : database_(database) {}

    // The `count` staged rows of `table`, replacing what the journal held
    // for it, in one transaction. The entries are asked for one at a time,
    // so that a restore of many rows never holds them all. `entryAt` may
    // throw CADOException; nothing is then recorded. Throws CADOException.
    void Record(const std::string& table, size_t count,
                const std::function<JournalEntry(size_t)>& entryAt);
    // Empty when there is no journal. Throws CADOException.
    std::vector<JournalEntry> Entries(const std::string& table);
    // The row at the entry's rowid, when it is still the row that was
    // staged; nullopt when it is gone or another. Throws CADOException.
    struct StagedRow {
        int status = 0;
        std::string text;
    };
    std::optional<StagedRow> Staged(const std::string& table, const JournalEntry& entry);
    // The entry's row, the files it named and the entry, in one
    // transaction: the message is home. Throws CADOException.
    void RemoveRow(const std::string& table, const JournalEntry& entry);
    // Throws CADOException.
    void Forget(const std::string& table, long place);
    void ForgetAll(const std::string& table);

private:
    bool Exists();

    CADODatabase& database_;
};
