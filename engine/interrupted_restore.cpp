#include "engine/interrupted_restore.h"

#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "engine/task_controls.h"
#include "host/host_application.h"
#include "host/host_error.h"
#include "mailbox/host_mailboxes.h"
#include "mailbox/pending_transfer.h"
#include "base/message_box.h"

#include <algorithm>

namespace {

// The text as it went into "Pending": a host may keep the status line the
// restore wrote above it.
std::string WithoutStatusLine(const std::string& text) {
    static const char kStatus[] = "X-Status: ";
    if (text.compare(0, sizeof kStatus - 1, kStatus) != 0) {
        return text;
    }
    const size_t end = text.find("\r\n");
    return end == std::string::npos ? text : text.substr(end + 2);
}

// What "Pending" holds, in its order, one message at a time.
class StagedMessages {
public:
    // nullopt when the host cannot say.
    static std::optional<StagedMessages> Open(const std::string& stagingPath) {
        try {
            HostApplication host = HostApplication::Connect();
            const std::optional<HostFolder> pending = FindHostMailboxFile(host, stagingPath);
            if (!pending) {
                return std::nullopt;
            }
            HostMessageList messages = pending->Messages();
            const long count = messages.Count();
            return StagedMessages(std::move(host), std::move(messages), count);
        } catch (const HostError&) {
            return std::nullopt;
        }
    }

    long Count() const { return count_; }
    // From 1. Throws HostError.
    std::string Text(long number) const { return messages_.Item(number).RawText(); }

private:
    StagedMessages(HostApplication host, HostMessageList messages, long count)
        : host_(std::move(host)), messages_(std::move(messages)), count_(count) {}

    HostApplication host_;
    HostMessageList messages_;
    long count_;
};

} // namespace

void InterruptedRestore::Home(const std::string& table, const JournalEntry& entry) {
    // What refused one row refuses the next.
    if (deleteRestored_ && deletionFailure_.empty()) {
        try {
            journal_.RemoveRow(table, entry);
            return;
        } catch (const CADOException& failure) {
            deletionFailure_ = failure.GetErrorMessage();
        }
    }
    if (rowsHome_.insert(entry.rowid).second) {
        homeEntries_.push_back(entry);
        homeEntries_.back().place = 0;
    }
}

void InterruptedRestore::SettleEmptyPending(const std::string& table) {
    try {
        for (const JournalEntry& entry : journal_.Entries(table)) {
            if (journal_.Staged(table, entry)) {
                Home(table, entry);
            }
        }
        if (deletionFailure_.empty()) {
            journal_.ForgetAll(table);
        }
    } catch (const CADOException& failure) {
        deletionFailure_ = failure.GetErrorMessage();
    }
}

std::vector<InterruptedRestore::Candidate>
InterruptedRestore::JournalCandidates(const std::string& table) {
    const std::vector<JournalEntry> entries = journal_.Entries(table);
    std::vector<Candidate> candidates;
    candidates.reserve(entries.size());
    for (const JournalEntry& entry : entries) {
        if (const auto staged = journal_.Staged(table, entry)) {
            // Home before the cut, and kept: never one of "Pending"'s.
            if (entry.place <= 0) {
                Home(table, entry);
            } else {
                candidates.push_back(Candidate{entry, staged->status, false});
            }
        }
    }
    return candidates;
}

// Without notes that tell what "Pending" holds, the restore was cut off
// while it staged: the staged messages are rows of the table, other than
// those known to be home. Only rows of a staged message's size are read
// whole.
std::vector<InterruptedRestore::Candidate>
InterruptedRestore::TableCandidates(const std::string& table, const std::set<int>& sizes,
                                    const std::set<long long>& home) {
    std::vector<Candidate> candidates;
    CADORecordset rows(database_);
    if (!rows.Open(table, CADORecordset::OpenTable)) {
        return candidates;
    }
    for (; !rows.AtEnd(); rows.MoveNext()) {
        int size = 0;
        if ((rows.ReadField(mailbox_column::kSize, size) && sizes.count(size) == 0) ||
            home.count(rows.GetBookmark()) > 0) {
            continue;
        }
        Candidate candidate;
        std::string text;
        if (!rows.ReadField(mailbox_column::kMessage, text)) {
            continue;
        }
        rows.ReadField(mailbox_column::kId, candidate.entry.id);
        rows.ReadField(mailbox_column::kStatus, candidate.status);
        candidate.entry.rowid = rows.GetBookmark();
        candidate.entry.checksum = MessageChecksum(text);
        candidates.push_back(candidate);
    }
    return candidates;
}

bool InterruptedRestore::Finish(const std::string& table, const std::string& targetPath) {
    std::optional<StagedMessages> staged = StagedMessages::Open(stagingPath_);
    if (!staged) {
        return false;
    }
    const long count = staged->Count();
    if (count <= 0) {
        SettleEmptyPending(table);
        return true;
    }
    std::vector<Candidate> candidates;
    std::vector<size_t> match(static_cast<size_t>(count));
    // One staged message to one row: equal texts are one message each. A
    // check that matches is only a lead; the texts are compared. False when
    // a message is no candidate's.
    const auto matchEvery = [&]() {
        std::vector<size_t> byChecksum(candidates.size());
        for (size_t i = 0; i < candidates.size(); ++i) {
            byChecksum[i] = i;
        }
        const auto checkOf = [&](size_t i) -> const MessageCheck& {
            return candidates[i].entry.checksum;
        };
        std::stable_sort(byChecksum.begin(), byChecksum.end(),
                         [&](size_t a, size_t b) { return checkOf(a) < checkOf(b); });
        for (long number = 1; number <= count; ++number) {
            const std::string whole = staged->Text(number);
            bool found = false;
            for (const std::string& text : {whole, WithoutStatusLine(whole)}) {
                const MessageCheck check = MessageChecksum(text);
                auto it = std::lower_bound(
                    byChecksum.begin(), byChecksum.end(), check,
                    [&](size_t i, const MessageCheck& wanted) { return checkOf(i) < wanted; });
                for (; it != byChecksum.end() && checkOf(*it) == check && !found; ++it) {
                    Candidate& candidate = candidates[*it];
                    if (candidate.used) {
                        continue;
                    }
                    const auto row = journal_.Staged(table, candidate.entry);
                    if (row && row->text == text) {
                        candidate.used = true;
                        match[static_cast<size_t>(number - 1)] = *it;
                        found = true;
                    }
                }
                if (found) {
                    break;
                }
            }
            if (!found) {
                return false;
            }
        }
        return true;
    };
    try {
        candidates = JournalCandidates(table);
        const bool fromJournal = !candidates.empty() && matchEvery();
        if (!fromJournal) {
            // Notes that do not tell what "Pending" holds are those of an
            // earlier restore whose messages all came home (their rows could
            // not go): this "Pending" was cut off while it was written, and
            // holds rows of the table besides them.
            std::vector<Candidate> noted = std::move(candidates);
            std::set<long long> notedRows;
            for (const Candidate& candidate : noted) {
                notedRows.insert(candidate.entry.rowid);
            }
            std::set<int> sizes;
            for (long number = 1; number <= count; ++number) {
                const std::string text = staged->Text(number);
                sizes.insert(static_cast<int>(text.size() / 1000));
                sizes.insert(static_cast<int>(WithoutStatusLine(text).size() / 1000));
            }
            candidates = TableCandidates(table, sizes, notedRows);
            if (!matchEvery()) {
                return false; // not this archive's: "Pending" stays as it is
            }
            for (const Candidate& candidate : noted) {
                Home(table, candidate.entry);
            }
        }
        // Rows the journal names whose messages have left "Pending" are home.
        if (fromJournal) {
            for (const Candidate& candidate : candidates) {
                if (!candidate.used) {
                    Home(table, candidate.entry);
                }
            }
        }
        // Their places now, and the rows already home that stay, so that a
        // cut during these moves is finished too.
        journal_.Record(table, match.size() + homeEntries_.size(), [&](size_t k) {
            if (k >= match.size()) {
                return homeEntries_[k - match.size()];
            }
            JournalEntry entry = candidates[match[k]].entry;
            entry.place = static_cast<long>(k + 1);
            return entry;
        });
    } catch (const HostError&) {
        return false; // the host cannot say what "Pending" holds
    } catch (const CADOException& failure) {
        ShowStandardErrorBox(failure.GetErrorMessage());
        return false;
    }

    staged.reset(); // the moves read "Pending" anew
    std::vector<int> statuses;
    for (size_t k = 0; k < match.size(); ++k) {
        statuses.push_back(candidates[match[k]].status);
    }
    controls_.EnableStop(false);
    moved_ = MovePendingMessages(
        stagingPath_, targetPath, "In", [this](int percent) { controls_.SetProgress(percent); },
        statuses,
        [&](long number) {
            JournalEntry entry = candidates[match[static_cast<size_t>(number - 1)]].entry;
            entry.place = number;
            Home(table, entry);
        });
    controls_.EnableStop(true);
    return moved_ == count;
}
