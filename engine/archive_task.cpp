#include "engine/archive_task.h"

#include "engine/archive_wait_notice.h"
#include "engine/trash_candidates.h"

#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/deferred_commit.h"
#include "db/message_check.h"
#include "db/write_transaction.h"
#include "mailbox/pending_mailbox.h"
#include "engine/message_filter.h"
#include "engine/moved_mailbox_tables.h"
#include "engine/task_controls.h"
#include "engine/task_log.h"
#include "host/host_application.h"
#include "host/host_error.h"
#include "mailbox/date_formats.h"
#include "base/message_box.h"
#include "base/message_pump.h"
#include "base/window_utils.h"

#include <algorithm>
#include <deque>
#include <optional>

namespace {

std::string OrDefault(const std::string& value, const char* fallback) {
    return value.empty() ? fallback : value;
}

// An error as one line of the log.
std::string FirstLineOf(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

// A count kept for the mailbox at hand and for the whole run at once.
struct Tally {
    int mailbox = 0;
    int total = 0;
    void Add(int count) {
        mailbox += count;
        total += count;
    }
};

// One run of the task: the host connection and the counters live as long as
// the run.
class ArchiveRun {
public:
    ArchiveRun(CADODatabase& database, TaskLog& log, TaskControls& controls,
               const MessageFilter& filter, bool deleteArchived, HostApplication host)
        : database_(database), log_(log), controls_(controls), filter_(filter),
          deleteArchived_(deleteArchived), host_(std::move(host)) {}

    int Run(const std::vector<MailboxSelection>& mailboxes);

private:
    bool ArchiveMailbox(const MailboxSelection& mailbox);
    void ArchiveMessages(const std::string& name, const HostMessageList& messages,
                         CADORecordset& table);
    void WriteRow(CADORecordset& table, const HostMessage& message, const FilterCandidate& values);
    // Counts the rows written since the last commit once the file has them;
    // `now` commits whether due or not.
    void CommitWrittenRows(bool now);
    void NoteFailure(const CADOException& failure);
    // How many of the collected messages went to "Trash".
    size_t MoveToTrash(const std::string& name, const HostMessageList& messages);
    // Reads the rows bound for "Trash" back from the file; what was counted
    // as archived becomes what the file holds.
    void CheckCandidates(bool committed);
    const std::deque<long>& VerifiedIds();
    void ShowStatus(const std::string& text);
    bool Stopped() { return lastingFailure_ || controls_.StopRequested(); }
    void ReportTroubles();

    CADODatabase& database_;
    TaskLog& log_;
    TaskControls& controls_;
    const MessageFilter& filter_;
    const bool deleteArchived_;
    HostApplication host_;
    std::optional<HostFolder> trash_;
    std::optional<ArchiveTableList> archives_;
    // The rows of the mailbox at hand reach the disk together.
    std::optional<DeferredCommit> durable_;

    // Rows the file holds.
    Tally archived_;
    int totalSearched_ = 0;
    // Kept across mailboxes: a stop before the next mailbox computes its
    // first percentage reports the last one computed.
    std::string percentText_ = "0";
    int messageCount_ = 0;
    // With deletion on, the messages that may leave for "Trash".
    std::optional<TrashCandidates> candidates_;
    // Rows written since the file last took a commit: counted once it does,
    // lost with the commit when it fails.
    int uncommitted_ = 0;
    // Selected messages that no row holds.
    Tally notArchived_;
    // Mailboxes whose table could not be opened.
    int failedMailboxes_ = 0;
    // The last error of the mailbox at hand, for its record.
    std::string failureText_;
    int keptInMailbox_ = 0;
    // The mailbox's table, and whether it finds rows by id.
    std::string tableName_;
    bool checkCopies_ = false;
    Tally alreadyArchived_;

    // What went wrong in the run, told once at its end.
    bool trashMissing_ = false;
    int keptForNoTrash_ = 0;
    int moveFailures_ = 0;
    int unverified_ = 0;
    std::string unverifiedReason_;
    // A write the archive file refused for good: the run ends with it.
    std::optional<std::string> lastingFailure_;
};

int ArchiveRun::Run(const std::vector<MailboxSelection>& mailboxes) {
    // Another host archiving into a shared archive holds its lock for up to a
    // second at a time: the user sees why this one waits.
    const ArchiveWaitNotice waiting(database_);
    try {
        trash_ = host_.FolderByName("Trash");
    } catch (const HostError&) {
        // Without "Trash" nothing can be moved there: the messages stay.
        trashMissing_ = true;
    }
    log_.Write(TaskLog::StartRecord(CurrentDateTime(), "Archive Messages"));

    for (const MailboxSelection& mailbox : mailboxes) {
        if (!ArchiveMailbox(mailbox)) {
            continue;
        }
        if (Stopped()) {
            break;
        }
        PumpWaitingMessages();
        Delay(15);
    }

    const bool stopped = controls_.StopRequested();
    // Nothing archived for a reason of the file's is a failure, not a
    // completion with nothing to do.
    const bool failed = lastingFailure_ || (notArchived_.total + failedMailboxes_ > 0 &&
                                            archived_.total == 0 && !stopped);
    const bool incomplete =
        keptForNoTrash_ + moveFailures_ + unverified_ + notArchived_.total + failedMailboxes_ > 0;
    ShowStatus(std::string(failed       ? "Operation failed. "
                           : stopped    ? "Operation stopped. "
                           : incomplete ? "Operation incomplete. "
                                        : "Operation completed. ") +
               std::to_string(archived_.total) + " messages archived.");
    std::string extra;
    if (alreadyArchived_.total > 0) {
        extra = "Total number of messages already in the archive: " +
                std::to_string(alreadyArchived_.total);
    }
    if (notArchived_.total > 0) {
        extra += (extra.empty() ? "" : "\n") +
                 std::string("Total number of messages not archived because of errors: ") +
                 std::to_string(notArchived_.total);
    }
    log_.Write(TaskLog::EndRecord(CurrentDateTime(),
                                  failed    ? TaskLog::Ending::Failed
                                  : stopped ? TaskLog::Ending::Stopped
                                            : TaskLog::Ending::Completed,
                                  filter_.describe(), "archived", archived_.total, totalSearched_,
                                  extra));
    ReportTroubles();
    return archived_.total;
}

// One box for the whole run, however many messages it concerns: the user
// learns what is where without answering a box per message.
void ArchiveRun::ReportTroubles() {
    std::string text;
    const auto add = [&text](const std::string& paragraph) {
        text += (text.empty() ? "" : "\n\n") + paragraph;
    };
    if (lastingFailure_) {
        add("Archiving has stopped, because the archive file refused it:\n" + *lastingFailure_ +
            "\n" + std::to_string(archived_.total) +
            " messages were archived before that; the others are still in their mailboxes.");
    }
    if (keptForNoTrash_ > 0) {
        add("There is no mailbox \"Trash\", so " + std::to_string(keptForNoTrash_) +
            " archived messages were not deleted and are still in their mailboxes.");
    }
    if (moveFailures_ > 0) {
        add(std::to_string(moveFailures_) +
            " archived messages could not be moved to \"Trash\" and are still in their "
            "mailboxes; their copies are in the archive.");
    }
    if (unverified_ > 0) {
        add(std::to_string(unverified_) +
            " messages were left in their mailboxes, because their copies could not be found "
            "in the archive file afterwards" +
            (unverifiedReason_.empty() ? std::string(".") : ":\n" + unverifiedReason_));
    }
    if (!text.empty()) {
        ShowStandardErrorBox(text);
    }
}

// False when the mailbox was skipped without a log record.
bool ArchiveRun::ArchiveMailbox(const MailboxSelection& mailbox) {
    messageCount_ = 0;
    archived_.mailbox = 0;
    keptInMailbox_ = 0;
    alreadyArchived_.mailbox = 0;
    candidates_.reset();
    uncommitted_ = 0;
    notArchived_.mailbox = 0;
    failureText_.clear();

    std::string deletedText = deleteArchived_ ? (trashMissing_ ? "No" : "Yes") : "No";
    std::optional<HostMessageList> messages;
    try {
        messages = host_.FolderById(mailbox.id).Messages();
    } catch (const HostError& failure) {
        ShowStandardErrorBox(failure.what());
        return false;
    }

    try {
        const std::string& connectionString = database_.GetConnectionString();
        // Read once for the run; the tables it makes are added as it goes.
        if (!archives_) {
            archives_ = ListArchiveTables(database_);
            try {
                NoteMovedMailboxesOfHost(*archives_, host_);
            } catch (const HostError&) {
                // Tables stay with the path they record.
            }
        }
        const std::string tableName = MailboxTableFor(*archives_, mailbox.name, mailbox.path);
        if (!TableExists(connectionString, tableName) &&
            CreateMailboxTable(connectionString, tableName, mailbox.path)) {
            archives_->tables.push_back(tableName);
            archives_->mailboxPaths[tableName] = mailbox.path;
            if (RefreshJetCache(database_.GetActiveConnection())) {
                Delay(100);
            }
        }

        tableName_ = tableName;
        if (deleteArchived_) {
            candidates_.emplace(connectionString, tableName);
        }
        try {
            checkCopies_ = HasIdIndex(database_, tableName);
        } catch (const CADOException&) {
            checkCopies_ = false;
        }
        CADORecordset table(database_);
        durable_.emplace(database_);
        bool opened = false;
        try {
            opened = table.Open(tableName, CADORecordset::OpenTable);
        } catch (const CADOException& failure) {
            ShowStandardErrorBox(failure.GetErrorMessage());
            failureText_ = failure.GetErrorMessage();
            ++failedMailboxes_;
            if (failure.IsLasting()) {
                lastingFailure_ = failure.GetErrorMessage();
            }
            deletedText = "No";
        }
        if (opened) {
            messageCount_ = messages->Count();
            ArchiveMessages(mailbox.name, *messages, table);
            // Before any of them may leave for Trash, the rows reach the disk.
            CommitWrittenRows(true);
            if (deleteArchived_) {
                CheckCandidates(true); // rows found written before, checked last
                const size_t toMove = candidates_->verified().size() + candidates_->unverified();
                const size_t moved = MoveToTrash(mailbox.name, *messages);
                // "Yes" only when every selected message has left.
                deletedText = moved == toMove && !trashMissing_ && notArchived_.mailbox == 0 &&
                                      keptInMailbox_ == 0
                                  ? "Yes"
                                  : "No";
                if (moved != toMove && !trashMissing_) {
                    deletedText += "\nNumber of Messages Moved to Trash: " + std::to_string(moved) +
                                   " of " + std::to_string(toMove);
                }
            }
            if (keptInMailbox_ > 0) {
                ShowStandardErrorBox(std::to_string(keptInMailbox_) + " messages of " +
                                     mailbox.name +
                                     " were left in the mailbox and not archived: each holds a "
                                     "line that would split it in two when it is restored.");
            }
            controls_.SetProgress(100);
            table.Close();
        }
    } catch (const CADOException& failure) {
        ShowStandardErrorBox(failure.GetErrorMessage());
        return false;
    } catch (const HostError&) {
        return false;
    }

    log_.Write("\nMailbox: " + mailbox.name +
               "\nNumber of Messages: " + std::to_string(messageCount_) +
               "\nNumber of Archived Messages: " + std::to_string(archived_.mailbox) +
               (alreadyArchived_.mailbox > 0 ? "\nNumber of Messages Already in the Archive: " +
                                                   std::to_string(alreadyArchived_.mailbox)
                                             : std::string()) +
               (notArchived_.mailbox > 0 ? "\nNumber of Messages Not Archived Because of Errors: " +
                                               std::to_string(notArchived_.mailbox)
                                         : std::string()) +
               (failureText_.empty() ? std::string() : "\nError: " + FirstLineOf(failureText_)) +
               "\nDeleted from the Mailbox: " + deletedText +
               "\nPercent Completed: " + TaskLog::PercentCompleted(Stopped(), percentText_));
    return true;
}

void ArchiveRun::ArchiveMessages(const std::string& name, const HostMessageList& messages,
                                 CADORecordset& table) {
    // Last first: with deletion on, moving a message then leaves the numbers
    // of the ones still to come as they are.
    for (int left = messageCount_; left > 0; --left) {
        ++totalSearched_;
        try {
            const HostMessage message = messages.Item(left);
            FilterCandidate values;
            values.status = message.Status();
            values.priority = message.PriorityText();
            values.from = message.HeaderField(HostMessage::kFrom);
            values.subject = message.HeaderField(HostMessage::kSubject);
            values.to = message.HeaderField(HostMessage::kTo);
            values.date = message.HeaderField(HostMessage::kDate);
            if (filter_.matches(values)) {
                WriteRow(table, message, values);
            }

            int percent = (messageCount_ - left) * 100 / messageCount_;
            if (deleteArchived_) {
                percent = std::min(percent, 90); // the moves take the rest
            }
            controls_.SetProgress(percent);
            percentText_ = std::to_string(percent);
            host_.SetStatusText(name + " - Messages left to archive: " + std::to_string(left) +
                                " / Total number of messages archived: " +
                                std::to_string(archived_.total + uncommitted_));
        } catch (const HostError&) {
            continue; // the message is passed over
        }
        if (lastingFailure_) {
            return; // every further row would fail the same way
        }
        PumpWaitingMessages();
        Delay(25);
        if (controls_.StopRequested()) {
            return;
        }
    }
}

void ArchiveRun::WriteRow(CADORecordset& table, const HostMessage& message,
                          const FilterCandidate& values) {
    const long id = message.Id();
    const std::string raw = message.RawText();
    if (raw.empty()) {
        return;
    }
    // A restore could not bring it back through "Pending" (a line of it
    // would start a new message there): moved away, it would be gone from
    // the host for good, and archived each time it stayed, it would pile up.
    if (deleteArchived_ && HoldsSeparatorLikeLine(raw)) {
        ++keptInMailbox_;
        return;
    }
    const uint32_t check = deleteArchived_ ? MessageChecksum(raw).Folded() : 0;
    // A run cut off between its rows and its moves to "Trash" left the
    // message here with its row written: a second row would bring it back
    // twice. Asked only through the id's index, and the text read only for
    // the rows of its id.
    if (checkCopies_) {
        try {
            if (HoldsMessage(database_, tableName_, static_cast<int>(id), raw)) {
                alreadyArchived_.Add(1);
                if (deleteArchived_) {
                    candidates_->FoundWritten(id, check);
                }
                return;
            }
        } catch (const CADOException& failure) {
            if (failure.IsLasting()) {
                notArchived_.Add(1);
                NoteFailure(failure);
                return;
            }
            // Unsure: written again, as it would have been.
        }
    }
    try {
        durable_->Begin();
        WriteTransaction row(database_);
        table.AddNew();
        table.WriteField(mailbox_column::kId, static_cast<int>(id));
        table.WriteField(mailbox_column::kStatus, values.status);
        table.WriteField(mailbox_column::kPriority, OrDefault(values.priority, "Normal"));
        table.WriteField(mailbox_column::kFrom, OrDefault(values.from, "Not Specified"));
        table.WriteField(mailbox_column::kDate, OrDefault(values.date, "No Date"));
        table.WriteField(mailbox_column::kSize, static_cast<int>(raw.size() / 1000));
        table.WriteField(mailbox_column::kSubject, OrDefault(values.subject, "No Subject"));
        table.WriteField(mailbox_column::kTo, OrDefault(values.to, "Not Specified"));
        table.WriteField(mailbox_column::kMessage, raw);
        table.Update();
        row.Commit();
    } catch (const CADOException& failure) {
        // The row's transaction was rolled back as the error left it.
        table.CancelUpdate();
        notArchived_.Add(1);
        NoteFailure(failure);
        return;
    }
    ++uncommitted_;
    if (deleteArchived_) {
        candidates_->Written(id, check);
    }
    CommitWrittenRows(false);
    if (RefreshJetCache(database_.GetActiveConnection())) {
        Delay(10);
    }
}

void ArchiveRun::CommitWrittenRows(bool now) {
    try {
        if (now ? durable_->Commit() : durable_->CommitIfDue()) {
            archived_.Add(uncommitted_);
            uncommitted_ = 0;
            if (deleteArchived_) {
                CheckCandidates(true);
            }
        }
    } catch (const CADOException& failure) {
        // The commit took every row since the last one with it: their
        // messages stay, and the check of the file before the moves finds
        // no row for them.
        notArchived_.Add(uncommitted_);
        uncommitted_ = 0;
        // A full disk may have ended the transaction with the row it
        // refused: the commit then only finds it gone.
        if (!lastingFailure_) {
            NoteFailure(failure);
        }
        if (deleteArchived_) {
            CheckCandidates(false);
        }
    }
}

void ArchiveRun::CheckCandidates(bool committed) {
    try {
        const int missing = candidates_->Check(committed);
        archived_.Add(-missing);
        notArchived_.Add(missing);
    } catch (const CADOException& failure) {
        unverifiedReason_ = failure.GetErrorMessage();
        // The file is gone or unreadable: the rows to come would go the
        // same way.
        if (!lastingFailure_) {
            lastingFailure_ = failure.GetErrorMessage();
        }
    }
}

// A lasting failure ends the run, told once at its end; any other is told now.
void ArchiveRun::NoteFailure(const CADOException& failure) {
    failureText_ = failure.GetErrorMessage();
    if (failure.IsLasting()) {
        if (!lastingFailure_) {
            lastingFailure_ = failure.GetErrorMessage();
        }
    } else {
        ShowStandardErrorBox(failure.GetErrorMessage());
    }
}

// The ids whose own rows were read back from the file, as long as the file
// at its path still holds them: one moved or replaced since lets nothing go.
const std::deque<long>& ArchiveRun::VerifiedIds() {
    bool there = false;
    try {
        there = candidates_->StillThere();
    } catch (const CADOException& failure) {
        unverifiedReason_ = failure.GetErrorMessage();
        if (!lastingFailure_) {
            lastingFailure_ = failure.GetErrorMessage();
        }
    }
    if (!there) {
        candidates_->GiveUpChecked();
    }
    unverified_ += candidates_->unverified();
    return candidates_->verified();
}

size_t ArchiveRun::MoveToTrash(const std::string& name, const HostMessageList& messages) {
    if (candidates_->empty()) {
        unverified_ += candidates_->unverified();
        return 0;
    }
    if (!trash_) {
        keptForNoTrash_ += static_cast<int>(candidates_->verified().size());
        unverified_ += candidates_->unverified();
        return 0;
    }
    const std::deque<long>& ids = VerifiedIds();
    controls_.EnableStop(false);
    const size_t count = ids.size();
    size_t moved = 0;
    for (size_t k = 0; k < count; ++k) {
        try {
            messages.ItemById(ids[k]).Move(*trash_);
            ++moved;
        } catch (const HostError&) {
            ++moveFailures_; // that message stays where it is
            continue;
        }
        Delay(10);
        controls_.SetProgress(90 + static_cast<int>(k * 100 / count) / 10);
        ShowStatus("Transferring messages from " + name + "... ");
    }
    try {
        messages.UpdateList();
    } catch (const HostError&) {
    }
    controls_.EnableStop(true);
    return moved;
}

void ArchiveRun::ShowStatus(const std::string& text) {
    try {
        host_.SetStatusText(text);
    } catch (const HostError&) {
    }
}

} // namespace

int ArchiveTask::run(const std::vector<MailboxSelection>& mailboxes, const MessageFilter& filter,
                     bool deleteArchived) {
    std::optional<HostApplication> host;
    try {
        host = HostApplication::Connect();
    } catch (const HostError&) {
        return -1;
    }
    TaskLog log(logPath_, controls_);
    ArchiveRun run(database_, log, controls_, filter, deleteArchived, std::move(*host));
    return run.Run(mailboxes);
}
