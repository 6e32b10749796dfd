#include "engine/interrupted_restore.h"

#include "db/ado_database.h"
#include "db/ado_recordset.h"
#include "db/archive_schema.h"
#include "engine/task_controls.h"
#include "host/host_application.h"
#include "host/host_error.h"
#include "mailbox/host_mailboxes.h"
#include "mailbox/pending_transfer.h"
#include "plugin/message_box.h"

#include <map>

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

// What "Pending" holds, in its order; nullopt when the host cannot say.
std::optional<std::vector<std::string>> StagedTexts(const std::string& stagingPath) {
    try {
        const HostApplication host = HostApplication::Connect();
        const std::optional<HostFolder> pending = FindHostMailboxFile(host, stagingPath);
        if (!pending) {
            return std::nullopt;
        }
        const HostMessageList messages = pending->Messages();
        const long count = messages.Count();
        std::vector<std::string> texts;
        for (long number = 1; number <= count; ++number) {
            texts.push_back(messages.Item(number).RawText());
        }
        return texts;
    } catch (const HostError&) {
        return std::nullopt;
    }
}

} // namespace

void InterruptedRestore::RemoveRow(const std::string& table, const JournalEntry& entry) {
    if (!deletionFailure_.empty()) {
        return; // what refused one row refuses the next
    }
    try {
        journal_.RemoveRow(table, entry);
    } catch (const CADOException& failure) {
        deletionFailure_ = failure.GetErrorMessage();
    }
}

void InterruptedRestore::SettleEmptyPending(const std::string& table) {
    try {
        for (const JournalEntry& entry : journal_.Entries(table)) {
            if (journal_.Staged(table, entry)) {
                if (deleteRestored_) {
                    RemoveRow(table, entry);
                } else {
                    rowsHome_.insert(entry.rowid);
                }
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
    std::vector<Candidate> candidates;
    for (const JournalEntry& entry : journal_.Entries(table)) {
        if (const auto staged = journal_.Staged(table, entry)) {
            candidates.push_back(Candidate{entry, staged->status, staged->text, false});
        }
    }
    return candidates;
}

// Without a journal the restore was cut off while it staged: nothing is
// home yet, and the staged messages are rows of the table. Only rows of a
// staged message's size are read whole.
std::vector<InterruptedRestore::Candidate>
InterruptedRestore::TableCandidates(const std::string& table,
                                    const std::vector<std::string>& staged) {
    std::set<int> sizes;
    for (const std::string& text : staged) {
        sizes.insert(static_cast<int>(text.size() / 1000));
        sizes.insert(static_cast<int>(WithoutStatusLine(text).size() / 1000));
    }
    std::vector<Candidate> candidates;
    CADORecordset rows(database_);
    if (!rows.Open(table, CADORecordset::OpenTable)) {
        return candidates;
    }
    for (; !rows.AtEnd(); rows.MoveNext()) {
        int size = 0;
        if (rows.ReadField(mailbox_column::kSize, size) && sizes.count(size) == 0) {
            continue;
        }
        Candidate candidate;
        if (!rows.ReadField(mailbox_column::kMessage, candidate.text)) {
            continue;
        }
        rows.ReadField(mailbox_column::kId, candidate.entry.id);
        rows.ReadField(mailbox_column::kStatus, candidate.status);
        candidate.entry.rowid = rows.GetBookmark();
        candidate.entry.checksum = MessageChecksum(candidate.text);
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

bool InterruptedRestore::Finish(const std::string& table, const std::string& targetPath) {
    const std::optional<std::vector<std::string>> staged = StagedTexts(stagingPath_);
    if (!staged) {
        return false;
    }
    if (staged->empty()) {
        SettleEmptyPending(table);
        return true;
    }
    std::vector<Candidate> candidates;
    std::vector<size_t> match(staged->size());
    bool fromJournal = false;
    try {
        candidates = JournalCandidates(table);
        fromJournal = !candidates.empty();
        if (!fromJournal) {
            candidates = TableCandidates(table, *staged);
        }
        // One staged message to one row: equal texts are one message each.
        std::multimap<MessageCheck, size_t> byChecksum;
        for (size_t i = 0; i < candidates.size(); ++i) {
            byChecksum.emplace(candidates[i].entry.checksum, i);
        }
        for (size_t k = 0; k < staged->size(); ++k) {
            bool found = false;
            for (const std::string& text : {(*staged)[k], WithoutStatusLine((*staged)[k])}) {
                const auto [first, last] = byChecksum.equal_range(MessageChecksum(text));
                for (auto it = first; it != last && !found; ++it) {
                    Candidate& candidate = candidates[it->second];
                    if (!candidate.used && candidate.text == text) {
                        candidate.used = true;
                        match[k] = it->second;
                        found = true;
                    }
                }
                if (found) {
                    break;
                }
            }
            if (!found) {
                return false; // not this archive's: "Pending" stays as it is
            }
        }
        // Rows the journal names whose messages have left "Pending" are home.
        if (fromJournal) {
            for (const Candidate& candidate : candidates) {
                if (!candidate.used) {
                    if (deleteRestored_) {
                        RemoveRow(table, candidate.entry);
                    } else {
                        rowsHome_.insert(candidate.entry.rowid);
                    }
                }
            }
        }
        // Their places now, so that a cut during these moves is finished too.
        if (deleteRestored_) {
            std::vector<JournalEntry> entries;
            for (size_t k = 0; k < staged->size(); ++k) {
                JournalEntry entry = candidates[match[k]].entry;
                entry.place = static_cast<long>(k + 1);
                entries.push_back(entry);
            }
            journal_.Record(table, entries);
        } else {
            journal_.ForgetAll(table);
        }
    } catch (const CADOException& failure) {
        ShowStandardErrorBox(failure.GetErrorMessage());
        return false;
    }

    std::vector<int> statuses;
    for (size_t k = 0; k < staged->size(); ++k) {
        statuses.push_back(candidates[match[k]].status);
    }
    controls_.EnableStop(false);
    moved_ = MovePendingMessages(
        stagingPath_, targetPath, "In", [this](int percent) { controls_.SetProgress(percent); },
        statuses,
        [&](long number) {
            JournalEntry entry = candidates[match[static_cast<size_t>(number - 1)]].entry;
            if (deleteRestored_) {
                entry.place = number;
                RemoveRow(table, entry);
            } else {
                rowsHome_.insert(entry.rowid);
            }
        });
    controls_.EnableStop(true);
    return moved_ == static_cast<long>(staged->size());
}
