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
        } else if (!attachments_.PutBack(table, rows.GetBookmark(),
                                         [](const std::string& text) { SetHostStatus(text); })) {
            ++keptForFiles_;
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
        const long long rowid = stagedRowids_[static_cast<size_t>(place - 1)];
        rows.SetBookmark(rowid);
        rows.Delete();
        attachments_.Forget(table, rowid);
        RestoreJournal(database_).Forget(table, place);
        transaction.Commit();
        ++rowsRemoved_;
        removedUnindexed_.push_back(rowid);
        if (durable.CommitIfDue()) {
            RemovalsCommitted(table);
        }
    } catch (const CADOException& failure) {
        // Whatever the file did not take, a later catch-up finds by the
        // index's stamps.
        removedUnindexed_.clear();
        removalFailure_ = failure.GetErrorMessage();
    }
}

void RestoreRun::RemovalsCommitted(const std::string& table) {
    if (!removedUnindexed_.empty()) {
        index_.RowsRemoved(table, removedUnindexed_);
        removedUnindexed_.clear();
    }
}
