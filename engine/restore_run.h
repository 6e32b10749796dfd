// One restore run, shared by the files that hold its steps: the archives in
// turn (restore_task.cpp) and the rows they stage, note and remove
// (restore_rows.cpp).
#pragma once

#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/deferred_commit.h"
#include "db/connection_string.h"
#include "engine/archive_index.h"
#include "engine/attachment_restoring.h"
#include "engine/interrupted_restore.h"
#include "engine/message_filter.h"
#include "engine/restore_task.h"
#include "engine/staging_mailbox.h"
#include "engine/task_controls.h"
#include "engine/task_log.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

enum class ArchiveOutcome { Skipped, Done, Refused };

class RestoreRun {
public:
    // `chosen`, when given, names the rows to restore instead of the
    // filter, by their bookmarks.
    RestoreRun(CADODatabase& database, StagingFiles& staging, TaskLog& log, TaskControls& controls,
               const MessageFilter& filter, bool deleteRestored,
               const std::vector<long long>* chosen = nullptr)
        : database_(database), staging_(staging), log_(log), controls_(controls), filter_(filter),
          deleteRestored_(deleteRestored), chosen_(chosen),
          index_(ConnectionStringValue(database.GetConnectionString(), "Data Source")) {}

    int Run(const std::vector<std::string>& archives);

private:
    ArchiveOutcome RestoreArchive(const std::string& table);
    std::string TargetPathOf(const std::string& table);
    // Finishes what an interrupted restore of `table` left in "Pending";
    // false, after saying why, when "Pending" holds anything else.
    bool StagingMailboxReady(const std::string& table, const std::string& targetPath);
    // False when the stop check said stop.
    bool RestoreRow(CADORecordset& rows, const std::string& table);
    // Only the chosen rows, in the table's order: the rest are not even
    // looked at.
    void StageChosenRows(CADORecordset& rows, const std::string& table);
    bool JournalStagedRows(CADORecordset& rows, const std::string& table);
    void WithdrawStagedMessages(const std::string& mailboxName);
    void WriteArchiveRecord(const std::string& table, int moved, bool deleted);
    void RemoveArrivedRow(CADORecordset& rows, const std::string& table, long place,
                          DeferredCommit& durable);
    // Find's index forgets the removed rows once the file has let them go.
    void RemovalsCommitted(const std::string& table);

    CADODatabase& database_;
    StagingFiles& staging_;
    StagingMailbox pending_{staging_};
    AttachmentRestoring attachments_{database_};
    TaskLog& log_;
    TaskControls& controls_;
    const MessageFilter& filter_;
    const bool deleteRestored_;
    const std::vector<long long>* chosen_;

    int totalRestored_ = 0;
    int totalSearched_ = 0;
    // Staged, but still in "Pending" when the run ends.
    int notArrived_ = 0;
    std::string doneText_ = "0";
    int rowCount_ = 0;
    int examined_ = 0;
    int unstagedCount_ = 0;
    // Selected rows whose kept files could not be written back: their
    // messages would arrive without them, so they stay.
    int keptForFiles_ = 0;
    // Selected rows holding characters the code page cannot write: a "?" in
    // their place would change the message for good, so they stay.
    int outsideCodePage_ = 0;
    // A failed write left part of a record at the end of "Pending".
    bool stagingDamaged_ = false;
    // The status of each message written to "Pending", in writing order.
    std::vector<int> stagedStatuses_;

    int RestoredCount() const { return static_cast<int>(stagedStatuses_.size()); }
    // The rows written to "Pending", in writing order: noted before the
    // moves, so that a cut restore run again does not bring home twice what
    // had arrived, and with deletion removed as their messages arrive home.
    // Bookmarks name exactly these rows, also among rows that hold the same
    // id. Only the bookmarks are held, in blocks
    // that never move: the rest of a row's note is read again when the
    // journal is written.
    std::deque<long long> stagedRowids_;
    int rowsRemoved_ = 0;
    std::string removalFailure_;
    // Finished from an interrupted restore of the archive at hand.
    std::optional<InterruptedRestore> interrupted_;
    ArchiveIndex index_;
    std::vector<long long> removedUnindexed_;
};
