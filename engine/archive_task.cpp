#include "engine/archive_task.h"

#include "engine/archive_run.h"

#include "db/connection_string.h"
#include "engine/archive_wait_notice.h"
#include "engine/moved_mailbox_tables.h"
#include "host/host_error.h"
#include "mailbox/date_formats.h"
#include "base/message_box.h"
#include "base/message_pump.h"
#include "base/stowlark_app.h"
#include "base/window_utils.h"

#include <algorithm>

namespace {

// An error as one line of the log.
std::string FirstLineOf(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

} // namespace

ArchiveRun::ArchiveRun(CADODatabase& database, TaskLog& log, TaskControls& controls,
                       const MessageFilter& filter, bool deleteArchived, HostApplication host)
    : database_(database), log_(log), controls_(controls), filter_(filter),
      deleteArchived_(deleteArchived), host_(std::move(host)),
      attachments_(database, App().Context().hostDataDir, App().Context().settingsPath),
      index_(ConnectionStringValue(database.GetConnectionString(), "Data Source")) {}

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
    attachments_.RemoveOrphans();

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
    const bool incomplete = keptForNoTrash_ + moveFailures_ + unverified_ + notArchived_.total +
                                failedMailboxes_ + leftForFiles_.total >
                            0;
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
    if (leftForFiles_.total > 0) {
        add(std::to_string(leftForFiles_.total) +
            " messages were left in their mailboxes, because files they name could not be kept "
            "in the archive; the log names the files.");
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
    leftForFiles_.mailbox = 0;
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
                                      keptInMailbox_ == 0 && leftForFiles_.mailbox == 0
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
               attachments_.TakeMailboxLines() + "\nDeleted from the Mailbox: " + deletedText +
               "\nPercent Completed: " + TaskLog::PercentCompleted(Stopped(), percentText_));
    return true;
}

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
