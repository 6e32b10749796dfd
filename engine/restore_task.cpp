#include "engine/restore_task.h"

#include "engine/archive_wait_notice.h"
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

namespace {

enum class ArchiveOutcome { Skipped, Done, Refused };

class RestoreRun {
public:
    // `chosen`, when given, names the rows to restore instead of the
    // filter, by their bookmarks.
    RestoreRun(CADODatabase& database, StagingFiles& staging, TaskLog& log, TaskControls& controls,
               const MessageFilter& filter, bool deleteRestored,
               const std::vector<long long>* chosen = nullptr)
        : database_(database), staging_(staging), log_(log), controls_(controls), filter_(filter),
          deleteRestored_(deleteRestored), chosen_(chosen) {}

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

    CADODatabase& database_;
    StagingFiles& staging_;
    StagingMailbox pending_{staging_};
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
};

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
            } catch (const CADOException& failure) {
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
    log_.Write(
        "\nArchive: " + table + "\nNumber of Messages: " + std::to_string(rowCount_) +
        "\nNumber of Restored Messages: " + std::to_string(RestoredCount()) + arrived + finished +
        outside + "\nDeleted from the Archive: " + (deleted ? "Yes" : "No") +
        "\nPercent Completed: " + TaskLog::PercentCompleted(controls_.StopRequested(), doneText_));
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

// The mailbox file the table records, or, when the mail folder has moved
// since, the file of the mailbox that moved with it.
std::string RestoreRun::TargetPathOf(const std::string& table) {
    const std::string recorded = MailboxPathOfTable(database_, table);
    if (recorded.empty() || FileExists(recorded)) {
        return recorded;
    }
    ArchiveTableList archives = ListArchiveTables(database_);
    try {
        NoteMovedMailboxesOfHost(archives, HostApplication::Connect());
    } catch (const HostError&) {
        return recorded;
    }
    const std::string* listed = FindArchiveTable(archives, table);
    const auto moved = listed ? archives.movedTo.find(*listed) : archives.movedTo.end();
    return moved == archives.movedTo.end() ? recorded : moved->second;
}

// "Pending" is emptied before each archive's messages are written to it.
// Messages the host still holds there (a mailbox of the user's that has this
// name, or what an interrupted restore left) would be lost, so the restore
// stops instead and says why.
bool RestoreRun::StagingMailboxReady(const std::string& table, const std::string& targetPath) {
    const std::optional<long> held = CountHostMailboxMessages(staging_.mbxPath);
    if (held && *held > 0) {
        if (!interrupted_->Finish(table, targetPath)) {
            return pending_.IsFree();
        }
        totalRestored_ += interrupted_->moved();
        return pending_.IsFree();
    }
    if (pending_.IsFree()) {
        interrupted_->SettleEmptyPending(table);
        return true;
    }
    return false;
}

bool RestoreRun::RestoreRow(CADORecordset& rows, const std::string& table) {
    ++examined_;
    ++totalSearched_;
    FilterCandidate values;
    rows.ReadField(mailbox_column::kStatus, values.status);
    rows.ReadField(mailbox_column::kPriority, values.priority);
    rows.ReadField(mailbox_column::kFrom, values.from);
    rows.ReadField(mailbox_column::kDate, values.date);
    rows.ReadField(mailbox_column::kSubject, values.subject);
    rows.ReadField(mailbox_column::kTo, values.to);
    // Brought home by the finish of an interrupted restore: a second copy
    // would be one too many.
    const bool home =
        !interrupted_->rowsHome().empty() && interrupted_->rowsHome().count(rows.GetBookmark()) > 0;
    if (!home && (chosen_ || filter_.matches(values))) {
        std::string message;
        bool exact = true;
        // A message column of another type (a table made elsewhere) reads as
        // no text: such a row stays, as one that could not be written.
        if (!rows.ReadField(mailbox_column::kMessage, message, exact)) {
            ++unstagedCount_;
        } else if (!exact) {
            ++outsideCodePage_;
        } else {
            switch (AppendPendingRecord(staging_.mbxPath, values.date, values.status, message)) {
            case AppendOutcome::Appended:
                ++totalRestored_;
                stagedStatuses_.push_back(values.status);
                stagedRowids_.push_back(rows.GetBookmark());
                break;
            case AppendOutcome::NotWritten:
                ++unstagedCount_;
                break;
            case AppendOutcome::FileDamaged:
                stagingDamaged_ = true;
                break;
            }
        }
    }
    PumpWaitingMessages();
    Delay(25);

    const int left = rowCount_ > examined_ ? rowCount_ - examined_ : 0;
    const int remaining = rowCount_ > 0 ? left * 100 / rowCount_ : 0;
    controls_.SetProgress(remaining);
    doneText_ = std::to_string(100 - remaining);
    if (SetHostStatus(table + " - Messages left to restore: " + std::to_string(left) +
                      " / Total number of messages restored: " + std::to_string(totalRestored_))) {
        Delay(10);
    }
    return !controls_.StopRequested();
}

void RestoreRun::StageChosenRows(CADORecordset& rows, const std::string& table) {
    std::vector<long long> chosen = *chosen_;
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    rowCount_ = static_cast<int>(chosen.size());
    for (const long long bookmark : chosen) {
        try {
            rows.SetBookmark(bookmark);
        } catch (const CADOException&) {
            // Gone since the viewer read it: nothing to bring back.
            ++examined_;
            ++totalSearched_;
            continue;
        }
        if (stagingDamaged_ || !RestoreRow(rows, table)) {
            return;
        }
    }
}

// Each staged row is read again for its note: nothing writes to the table
// between the staging and the moves, so the text is the one staged.
bool RestoreRun::JournalStagedRows(CADORecordset& rows, const std::string& table) {
    try {
        const std::vector<JournalEntry>& home = interrupted_->homeEntries();
        const size_t staged = stagedRowids_.size();
        RestoreJournal(database_).Record(table, staged + home.size(), [&](size_t index) {
            if (index >= staged) {
                return home[index - staged];
            }
            if (index % 256 == 0) {
                PumpWaitingMessages();
            }
            JournalEntry entry;
            entry.place = static_cast<long>(index + 1);
            entry.rowid = stagedRowids_[index];
            rows.SetBookmark(entry.rowid);
            std::string message;
            rows.ReadField(mailbox_column::kId, entry.id);
            rows.ReadField(mailbox_column::kMessage, message);
            entry.checksum = MessageChecksum(message);
            return entry;
        });
        return true;
    } catch (const CADOException& failure) {
        removalFailure_ = failure.GetErrorMessage();
        return false;
    }
}

// The row of the message that has just arrived home, with its journal
// entry, in one transaction.
void RestoreRun::RemoveArrivedRow(CADORecordset& rows, const std::string& table, long place,
                                  DeferredCommit& durable) {
    if (!removalFailure_.empty() || place < 1 || place > RestoredCount()) {
        return;
    }
    try {
        durable.Begin();
        WriteTransaction transaction(database_);
        rows.SetBookmark(stagedRowids_[static_cast<size_t>(place - 1)]);
        rows.Delete();
        RestoreJournal(database_).Forget(table, place);
        transaction.Commit();
        ++rowsRemoved_;
        durable.CommitIfDue();
    } catch (const CADOException& failure) {
        removalFailure_ = failure.GetErrorMessage();
    }
}

} // namespace

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
