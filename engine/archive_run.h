// One run of the archive task, shared by the files that hold its steps: the
// mailboxes in turn (archive_task.cpp), the rows they write and check
// (archive_rows.cpp) and the moves of their messages to "Trash"
// (archive_trash_moves.cpp).
#pragma once

#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "db/deferred_commit.h"
#include "engine/archive_index.h"
#include "engine/archive_task.h"
#include "engine/attachment_keeping.h"
#include "engine/message_filter.h"
#include "engine/task_controls.h"
#include "engine/task_log.h"
#include "engine/trash_candidates.h"
#include "host/host_application.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

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
               const MessageFilter& filter, bool deleteArchived, HostApplication host);

    int Run(const std::vector<MailboxSelection>& mailboxes);

private:
    bool ArchiveMailbox(const MailboxSelection& mailbox);
    void ArchiveMessages(const std::string& name, const HostMessageList& messages,
                         CADORecordset& table);
    void WriteRow(CADORecordset& table, const HostMessage& message, const FilterCandidate& values);
    // The files a message found archived before names, kept now for its
    // row (a row written before files were kept, or one cut off).
    bool KeepFilesOfFoundRow(long id, const std::string& raw, const NamedFiles& files);
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
    AttachmentKeeping attachments_;
    std::optional<HostFolder> trash_;
    std::optional<ArchiveTableList> archives_;
    // The rows of the mailbox at hand reach the disk together.
    std::optional<DeferredCommit> durable_;
    // Find's index learns of rows once the file has them; it never holds
    // the task up, and what it misses it catches up on later.
    ArchiveIndex index_;
    std::vector<long long> unindexed_;

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
    // Messages left in their mailbox because a file they name could not be
    // kept: for the mailbox and for the run's one box.
    Tally leftForFiles_;
    // Rows found written before whose files were kept since the last
    // commit: they may leave for "Trash" once the file has their files.
    std::deque<WrittenRow> foundAwaitingCommit_;
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
