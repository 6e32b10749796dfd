#include "engine/archive_task.h"

#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "mailbox/pending_mailbox.h"
#include "engine/message_filter.h"
#include "engine/task_controls.h"
#include "engine/task_log.h"
#include "host/host_application.h"
#include "host/host_error.h"
#include "mailbox/date_formats.h"
#include "plugin/message_box.h"
#include "plugin/message_pump.h"
#include "plugin/window_utils.h"

#include <algorithm>
#include <optional>

namespace {

std::string OrDefault(const std::string& value, const char* fallback) {
    return value.empty() ? fallback : value;
}

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
    void MoveToTrash(const std::string& name, const HostMessageList& messages);
    void ShowStatus(const std::string& text);

    CADODatabase& database_;
    TaskLog& log_;
    TaskControls& controls_;
    const MessageFilter& filter_;
    const bool deleteArchived_;
    HostApplication host_;
    std::optional<HostFolder> trash_;
    std::optional<ArchiveTableList> archives_;

    int totalArchived_ = 0;
    int totalSearched_ = 0;
    // Kept across mailboxes: a stop before the next mailbox computes its
    // first percentage reports the last one computed.
    std::string percentText_ = "0";
    int messageCount_ = 0;
    int archivedCount_ = 0;
    std::vector<long> idsToDelete_;
    int keptInMailbox_ = 0;
};

int ArchiveRun::Run(const std::vector<MailboxSelection>& mailboxes) {
    try {
        trash_ = host_.FolderByName("Trash");
    } catch (const HostError&) {
        // Without "Trash" nothing can be moved there: the messages stay.
    }
    log_.Write(TaskLog::StartRecord(CurrentDateTime(), "Archive Messages"));

    for (const MailboxSelection& mailbox : mailboxes) {
        if (!ArchiveMailbox(mailbox)) {
            continue;
        }
        if (controls_.StopRequested()) {
            break;
        }
        PumpWaitingMessages();
        Delay(15);
    }

    const bool stopped = controls_.StopRequested();
    ShowStatus(std::string(stopped ? "Operation stopped. " : "Operation completed. ") +
               std::to_string(totalArchived_) + " messages archived.");
    log_.Write(TaskLog::EndRecord(CurrentDateTime(), stopped, filter_.describe(), "archived",
                                  totalArchived_, totalSearched_));
    return totalArchived_;
}

// False when the mailbox was skipped without a log record.
bool ArchiveRun::ArchiveMailbox(const MailboxSelection& mailbox) {
    messageCount_ = 0;
    archivedCount_ = 0;
    keptInMailbox_ = 0;
    idsToDelete_.clear();

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

        CADORecordset table(database_);
        bool opened = false;
        try {
            opened = table.Open(tableName, CADORecordset::OpenTable);
        } catch (const CADOException& failure) {
            ShowStandardErrorBox(failure.GetErrorMessage());
        }
        if (opened) {
            messageCount_ = messages->Count();
            ArchiveMessages(mailbox.name, *messages, table);
            if (deleteArchived_) {
                MoveToTrash(mailbox.name, *messages);
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
               "\nNumber of Archived Messages: " + std::to_string(archivedCount_) +
               "\nDeleted from the Mailbox: " + (deleteArchived_ ? "Yes" : "No") +
               "\nPercent Completed: " +
               TaskLog::PercentCompleted(controls_.StopRequested(), percentText_));
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
            host_.SetStatusText(
                name + " - Messages left to archive: " + std::to_string(left) +
                " / Total number of messages archived: " + std::to_string(totalArchived_));
        } catch (const HostError&) {
            continue; // the message is passed over
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
    bool inTransaction = false;
    try {
        database_.BeginTrans();
        inTransaction = true;
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
        database_.CommitTrans();
        inTransaction = false;
        // Counted, and bound for "Trash", only once the row is in the file.
        ++totalArchived_;
        ++archivedCount_;
        if (deleteArchived_) {
            idsToDelete_.push_back(id);
        }
        if (RefreshJetCache(database_.GetActiveConnection())) {
            Delay(10);
        }
    } catch (const CADOException& failure) {
        table.CancelUpdate();
        if (inTransaction) {
            try {
                database_.RollbackTrans();
            } catch (const CADOException&) {
                // The next transaction rolls it back.
            }
        }
        ShowStandardErrorBox(failure.GetErrorMessage());
    }
}

void ArchiveRun::MoveToTrash(const std::string& name, const HostMessageList& messages) {
    controls_.EnableStop(false);
    const size_t count = idsToDelete_.size();
    for (size_t k = 0; k < count; ++k) {
        try {
            if (!trash_) {
                break;
            }
            messages.ItemById(idsToDelete_[k]).Move(*trash_);
        } catch (const HostError&) {
            continue; // that message stays where it is
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
