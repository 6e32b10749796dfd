// A message is appended to its mailbox file in place, which is quick but
// leaves half a record behind if the host dies during the write. Before it
// writes, the host notes the file's old size and the new message's id in a
// journal beside the file; the journal is removed once the index names the
// message. A journal found later means the append never completed: the file
// is cut back to its old size.
#pragma once

#include <cstdint>
#include <string>

struct AppendIntent {
    uint64_t mbxSizeBefore = 0;
    uint32_t messageId = 0;
};

std::string JournalPathFor(const std::string& mbxPath);

// Written and flushed before the mailbox file is touched; StoreError when it
// cannot be.
void WriteAppendJournal(const std::string& mbxPath, const AppendIntent& intent);
void RemoveAppendJournal(const std::string& mbxPath);

// Finishes what a crash interrupted: keeps the message when the index names
// it, otherwise cuts the mailbox file back. Nothing to do without a journal.
void RecoverInterruptedAppend(const std::string& mbxPath, const std::string& tocPath);
