#include "engine/archive_run.h"

#include "db/message_check.h"
#include "db/write_transaction.h"
#include "host/host_error.h"
#include "mailbox/pending_mailbox.h"
#include "base/message_box.h"
#include "base/message_pump.h"
#include "base/window_utils.h"

#include <algorithm>

namespace {

std::string OrDefault(const std::string& value, const char* fallback) {
    return value.empty() ? fallback : value;
}

} // namespace

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
    const NamedFiles files = attachments_.Named(raw, values.status);
    // A run cut off between its rows and its moves to "Trash" left the
    // message here with its row written: a second row would bring it back
    // twice. Asked only through the id's index, and the text read only for
    // the rows of its id.
    if (checkCopies_) {
        try {
            if (HoldsMessage(database_, tableName_, static_cast<int>(id), raw)) {
                alreadyArchived_.Add(1);
                if (files.paths.empty()) {
                    if (deleteArchived_) {
                        candidates_->FoundWritten(id, check);
                    }
                } else if (KeepFilesOfFoundRow(id, raw, files) && deleteArchived_) {
                    foundAwaitingCommit_.push_back({static_cast<int32_t>(id), check});
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
    bool filesKept = true;
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
        const long long place = table.GetBookmark();
        if (!files.paths.empty()) {
            filesKept = attachments_.Keep(tableName_, place, files,
                                          [this](const std::string& text) { ShowStatus(text); });
        }
        row.Commit();
        unindexed_.push_back(place);
    } catch (const CADOException& failure) {
        // The row's transaction was rolled back as the error left it.
        table.CancelUpdate();
        notArchived_.Add(1);
        NoteFailure(failure);
        return;
    }
    ++uncommitted_;
    if (deleteArchived_) {
        if (filesKept) {
            candidates_->Written(id, check);
        } else {
            leftForFiles_.Add(1);
        }
    }
    CommitWrittenRows(false);
    if (RefreshJetCache(database_.GetActiveConnection())) {
        Delay(10);
    }
}

bool ArchiveRun::KeepFilesOfFoundRow(long id, const std::string& raw, const NamedFiles& files) {
    bool kept = false;
    try {
        // A table made elsewhere without row ids cannot say which row: its
        // message stays.
        const std::optional<long long> rowid =
            FindMessageRow(database_, tableName_, static_cast<int>(id), raw);
        if (rowid) {
            durable_->Begin();
            WriteTransaction transaction(database_);
            kept = attachments_.Keep(tableName_, *rowid, files,
                                     [this](const std::string& text) { ShowStatus(text); });
            transaction.Commit();
        }
    } catch (const CADOException& failure) {
        // The message stays where it is, its row as it was.
        if (failure.IsLasting()) {
            NoteFailure(failure);
        }
        kept = false;
    }
    if (!kept && deleteArchived_) {
        leftForFiles_.Add(1);
    }
    CommitWrittenRows(false);
    return kept;
}

void ArchiveRun::CommitWrittenRows(bool now) {
    try {
        if (now ? durable_->Commit() : durable_->CommitIfDue()) {
            archived_.Add(uncommitted_);
            uncommitted_ = 0;
            if (!unindexed_.empty()) {
                index_.RowsAdded(tableName_, unindexed_);
                unindexed_.clear();
            }
            attachments_.Committed();
            if (deleteArchived_) {
                for (const WrittenRow& found : foundAwaitingCommit_) {
                    candidates_->FoundWritten(found.id, found.check);
                }
                foundAwaitingCommit_.clear();
                CheckCandidates(true);
            }
        }
    } catch (const CADOException& failure) {
        // The commit took every row since the last one with it: their
        // messages stay, and the check of the file before the moves finds
        // no row for them.
        notArchived_.Add(uncommitted_);
        uncommitted_ = 0;
        unindexed_.clear();
        attachments_.CommitFailed();
        // Their rows were there before, but not the files the commit took.
        unverified_ += static_cast<int>(foundAwaitingCommit_.size());
        foundAwaitingCommit_.clear();
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
