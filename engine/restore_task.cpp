#include "engine/restore_task.h"

#include "engine/restore_run.h"
#include "engine/archive_wait_notice.h"
#include "engine/attachment_restoring.h"
#include "engine/staging_mailbox.h"
#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/mailbox_table_name.h"
#include "db/deferred_commit.h"
#include "db/restore_journal.h"
#include "db/write_transaction.h"
#include "engine/interrupted_restore.h"
#include "engine/message_filter.h"
#include "engine/moved_mailbox_tables.h"
#include "host/host_application.h"
#include "host/host_error.h"
#include "engine/task_controls.h"
#include "engine/task_log.h"
#include "mailbox/date_formats.h"
#include "mailbox/host_mailboxes.h"
#include "mailbox/pending_mailbox.h"
#include "mailbox/pending_transfer.h"
#include "base/file_utils.h"
#include "base/message_box.h"
#include "base/message_pump.h"
#include "base/window_utils.h"
#include <algorithm>
#include <deque>
#include <optional>

#include <algorithm>

int RestoreRun::Run(const std::vector<std::string>& archives) {
    const ArchiveWaitNotice waiting(database_);
    if (SetHostStatus("Restoring messages operation in progress. Please wait...")) {
        Delay(10);
    }
    log_.Write(TaskLog::StartRecord(CurrentDateTime(),
                                    chosen_ ? "Restore Selected Messages" : "Restore Messages"));

    bool refused = false;
    for (const std::string& table : archives) {
        const ArchiveOutcome outcome = RestoreArchive(table);
        if (outcome == ArchiveOutcome::Refused) {
            refused = true;
            break;
        }
        if (outcome == ArchiveOutcome::Done && controls_.StopRequested()) {
            break;
        }
    }

    if (OpenHostMailboxFile(staging_.mbxPath)) {
        StagingMailbox::CloseWindow(20);
    }
    const bool stopped = refused || controls_.StopRequested();
    if (SetHostStatus(std::string(stopped           ? "Operation stopped. "
                                  : notArrived_ > 0 ? "Operation incomplete. "
                                                    : "Operation completed. ") +
                      std::to_string(totalRestored_) + " messages restored from the archive.")) {
        Delay(10);
    }
    log_.Write(TaskLog::EndRecord(
        CurrentDateTime(), stopped ? TaskLog::Ending::Stopped : TaskLog::Ending::Completed,
        chosen_ ? "The messages selected in the viewer" : filter_.describe(), "restored",
        totalRestored_, totalSearched_,
        notArrived_ > 0
            ? "Total number of messages left in \"Pending\": " + std::to_string(notArrived_)
            : std::string()));
    return totalRestored_;
}

ArchiveOutcome RestoreRun::RestoreArchive(const std::string& table) {
    if (!TableExists(database_.GetConnectionString(), table)) {
        return ArchiveOutcome::Skipped;
    }
    rowCount_ = 0;
    examined_ = 0;
    unstagedCount_ = 0;
    keptForFiles_ = 0;
    outsideCodePage_ = 0;
    stagingDamaged_ = false;
    stagedStatuses_.clear();
    stagedRowids_.clear();
    rowsRemoved_ = 0;
    removalFailure_.clear();

    StagingMailbox::CloseWindow(2000);
    const std::string targetPath = TargetPathOf(table);
    interrupted_.emplace(database_, staging_.mbxPath, deleteRestored_, controls_);
    if (!StagingMailboxReady(table, targetPath) || !pending_.Prepare()) {
        return ArchiveOutcome::Refused;
    }
    controls_.SetProgress(100);

    CADORecordset rows(database_);
    try {
        if (rows.Open(table, CADORecordset::OpenTable)) {
            if (chosen_) {
                StageChosenRows(rows, table);
            } else {
                rowCount_ = static_cast<int>(rows.CountRows());
                while (!rows.AtEnd() && !stagingDamaged_ && RestoreRow(rows, table)) {
                    rows.MoveNext();
                }
            }
            Delay(500);
        }
    } catch (const CADOException& failure) {
        ShowStandardErrorBox(failure.GetErrorMessage());
    }
    controls_.SetProgress(0);

    const std::string mailboxName = MailboxNameFromTableName(table);
    int moved = 0;
    if (stagingDamaged_) {
        // Moving now would carry the broken record into the mailbox.
        ShowStandardErrorBox("A message of " + mailboxName + " could not be written in full to " +
                             staging_.mbxPath +
                             ", and the file could not be cut back. The messages written before "
                             "it are in \"Pending\"; the last one there may be incomplete. No "
                             "message was deleted from the archive.");
    } else if (RestoredCount() > 0) {
        // Noted before the first move: a cut between a move and the removal
        // of its row, or between two moves, is then finished by the next
        // restore. A restore that keeps the rows goes on without the note (a
        // read-only archive takes none); one that removes them may not.
        const bool journaled = JournalStagedRows(rows, table);
        if (deleteRestored_ && !journaled) {
            WithdrawStagedMessages(mailboxName);
            WriteArchiveRecord(table, 0, false);
            return ArchiveOutcome::Refused;
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (OpenHostMailboxFile(staging_.mbxPath)) {
                StagingMailbox::CloseWindow(2000);
            }
        }
        controls_.EnableStop(false);
        // The removals reach the disk together: until they do, the notes
        // tell the next restore which messages are home.
        std::optional<DeferredCommit> durable;
        if (journaled && deleteRestored_) {
            durable.emplace(database_);
        }
        moved = MovePendingMessages(
            staging_.mbxPath, targetPath, "In",
            [this](int percent) { controls_.SetProgress(percent); }, stagedStatuses_,
            [&](long place) {
                if (durable) {
                    RemoveArrivedRow(rows, table, place, *durable);
                }
            });
        if (durable) {
            try {
                durable->Commit();
                RemovalsCommitted(table);
            } catch (const CADOException& failure) {
                // The removals went back with the commit.
                removedUnindexed_.clear();
                rowsRemoved_ = 0;
                if (removalFailure_.empty()) {
                    removalFailure_ = failure.GetErrorMessage();
                }
            }
        }
        controls_.EnableStop(true);
    }

    // What did not arrive is in "Pending", where the next restore refuses to
    // start: the user must hear of it, with or without deletion.
    const bool allHome = !stagingDamaged_ && moved == RestoredCount();
    if (moved < RestoredCount()) {
        notArrived_ += RestoredCount() - moved;
    }
    if (!allHome && !stagingDamaged_) {
        const std::string counts = std::to_string(RestoredCount()) + " messages restored from " +
                                   mailboxName + ", " + std::to_string(moved);
        const std::string kept =
            deleteRestored_ ? " Their rows stay in the archive until they arrive; the next restore "
                              "of this archive brings them home."
                            : std::string();
        ShowStandardErrorBox(moved < RestoredCount()
                                 ? "Of the " + counts +
                                       " reached their mailbox; the others are still in "
                                       "\"Pending\" (" +
                                       staging_.mbxPath + ")." + kept
                                 : "\"Pending\" gave more messages than were restored: of the " +
                                       counts + " were moved." + kept);
    }

    // Each row went as its message arrived; the messages still in "Pending"
    // keep theirs, as they have nowhere else to come back from.
    const bool deleted = deleteRestored_ && rowsRemoved_ == RestoredCount() &&
                         interrupted_->deletionFailure().empty();
    // Every message home and every row that was to go gone: the notes have
    // nothing left to tell, and a restore run again is a copy.
    if (allHome && (!deleteRestored_ || deleted)) {
        RestoreJournal(database_).ForgetAll(table);
    }
    const std::string& failure =
        removalFailure_.empty() ? interrupted_->deletionFailure() : removalFailure_;
    if (deleteRestored_ && !failure.empty()) {
        ShowStandardErrorBox("Messages restored to " + mailboxName +
                             " are in their mailbox, but their rows could not be removed from "
                             "the archive, so the archive still holds them too:\n" +
                             failure);
    }
    if (outsideCodePage_ > 0) {
        ShowStandardErrorBox(std::to_string(outsideCodePage_) + " selected messages of " +
                             mailboxName +
                             " hold characters that this system's code page cannot write, so "
                             "they were not restored: written with a \"?\" in their place they "
                             "would be changed for good. They stay in the archive.");
    }
    if (keptForFiles_ > 0) {
        ShowStandardErrorBox(std::to_string(keptForFiles_) + " selected messages of " +
                             mailboxName +
                             " were not restored, because files kept for them could not be "
                             "written back; they stay in the archive, and the log names the "
                             "files.");
    }
    if (unstagedCount_ > 0) {
        ShowStandardErrorBox(std::to_string(unstagedCount_) + " selected messages of " +
                             mailboxName + " could not be written to " + staging_.mbxPath +
                             ", or hold a line that would split them there. They stay in the "
                             "archive.");
    }
    try {
        rows.Close();
    } catch (const CADOException&) {
    }

    WriteArchiveRecord(table, moved, deleted);
    return ArchiveOutcome::Done;
}

void RestoreRun::WriteArchiveRecord(const std::string& table, int moved, bool deleted) {
    const std::string arrived =
        moved != RestoredCount()
            ? "\nNumber of Messages That Reached the Mailbox: " + std::to_string(moved)
            : std::string();
    const std::string finished =
        interrupted_->moved() > 0
            ? "\nNumber of Messages Brought Home from an Interrupted Restore: " +
                  std::to_string(interrupted_->moved())
            : std::string();
    const std::string outside =
        outsideCodePage_ > 0 ? "\nNumber of Messages Kept for Characters Outside the Code Page: " +
                                   std::to_string(outsideCodePage_)
                             : std::string();
    log_.Write("\nArchive: " + table + "\nNumber of Messages: " + std::to_string(rowCount_) +
               "\nNumber of Restored Messages: " + std::to_string(RestoredCount()) + arrived +
               finished + outside + attachments_.TakeArchiveLines() +
               "\nDeleted from the Archive: " + (deleted ? "Yes" : "No") + "\nPercent Completed: " +
               TaskLog::PercentCompleted(controls_.StopRequested(), doneText_));
}

// A restore with deletion whose notes the archive file refused moves
// nothing: a message home whose row could not then be told from one still
// to come would be brought home again by the next restore. "Pending" is cut
// back to the empty file it was.
void RestoreRun::WithdrawStagedMessages(const std::string& mailboxName) {
    const int staged = RestoredCount();
    totalRestored_ -= staged;
    stagedStatuses_.clear();
    stagedRowids_.clear();
    const bool withdrawn = pending_.CutBack();
    ShowStandardErrorBox(
        "No message of " + mailboxName +
        " was restored: the archive file could not note the messages before their rows were "
        "to be removed, so none was moved and the mailboxes are as they were.\n" +
        removalFailure_ +
        (withdrawn
             ? std::string()
             : "\n" + std::to_string(staged) + " messages are still in \"Pending\" (" +
                   staging_.mbxPath + "); the next restore of this archive brings them home."));
}

int RestoreTask::run(const std::vector<std::string>& archives, const MessageFilter& filter,
                     bool deleteRestored) {
    TaskLog log(logPath_, controls_);
    RestoreRun run(database_, staging_, log, controls_, filter, deleteRestored);
    return run.Run(archives);
}

int RestoreTask::runRows(const std::string& table, const std::vector<long long>& bookmarks,
                         bool deleteRestored) {
    TaskLog log(logPath_, controls_);
    const MessageFilter everything;
    RestoreRun run(database_, staging_, log, controls_, everything, deleteRestored, &bookmarks);
    return run.Run({table});
}
