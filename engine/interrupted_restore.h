// A restore the host's end cut off leaves messages staged in "Pending",
// and, with deletion, rows whose messages are already home. The next
// restore of the same archive finishes it, so that each message ends up
// exactly once: home without its row, or still only in the archive.
#pragma once

#include "db/restore_journal.h"

#include <set>
#include <string>
#include <vector>

class CADODatabase;
class TaskControls;

class InterruptedRestore {
public:
    InterruptedRestore(CADODatabase& database, std::string stagingPath, bool deleteRestored,
                       TaskControls& controls)
        : database_(database), journal_(database), stagingPath_(std::move(stagingPath)),
          deleteRestored_(deleteRestored), controls_(controls) {}

    // "Pending" is empty: every staged row the journal names is home, and
    // with deletion its row goes now.
    void SettleEmptyPending(const std::string& table);

    // "Pending" holds messages. When every one of them is an exact copy of
    // a row of `table`, they are moved home with their rows' statuses, and
    // with deletion their rows go, each as its message arrives. False, with
    // nothing done, when any message is not such a copy (it is the user's,
    // or another archive's).
    bool Finish(const std::string& table, const std::string& targetPath);

    // Messages brought home by Finish.
    int moved() const { return moved_; }
    // Rows whose messages are home and that stay in the table (no deletion,
    // or a removal the file refused): the rest of the restore must not
    // bring them a second time, and its journal keeps them, so that the
    // next one does not either.
    const std::set<long long>& rowsHome() const { return rowsHome_; }
    const std::vector<JournalEntry>& homeEntries() const { return homeEntries_; }
    // Rows that should have gone and could not; empty when all went.
    const std::string& deletionFailure() const { return deletionFailure_; }

private:
    // A row that may be a staged message, known by its check alone: after a
    // long restore "Pending" may hold more text than the host has room for,
    // so texts are read one at a time and only to compare.
    struct Candidate {
        JournalEntry entry;
        int status = 0;
        bool used = false;
    };
    std::vector<Candidate> JournalCandidates(const std::string& table);
    // Rows of the staged messages' sizes, but those known to be `home`.
    std::vector<Candidate> TableCandidates(const std::string& table, const std::set<int>& sizes,
                                           const std::set<long long>& home);
    // The entry's message is home: its row goes with deletion, or stays
    // known as home.
    void Home(const std::string& table, const JournalEntry& entry);

    CADODatabase& database_;
    RestoreJournal journal_;
    std::string stagingPath_;
    bool deleteRestored_;
    TaskControls& controls_;
    int moved_ = 0;
    std::set<long long> rowsHome_;
    std::vector<JournalEntry> homeEntries_;
    std::string deletionFailure_;
};
