// When the user moves or copies the mail folder, the mailbox file a table
// records is gone, and the mailboxes live under another path. Such a table
// still belongs to the mailbox that was moved, where that mailbox can be
// told apart from all others; its recorded path stays as it is.
#pragma once

#include "db/archive_schema.h"

#include <string>
#include <vector>

// A mailbox as the host now has it.
struct CurrentMailbox {
    std::string name;
    std::string path;
};

// Fills `archives.movedTo` for every table whose recorded mailbox file no
// longer exists and that one of `mailboxes` matches: the one whose path
// below the mail folder `dataDir` ends the recorded path (the longest such,
// as a folder moved whole keeps its path below the mail folder), or, when
// no path matches that way, the only mailbox with the table's name. A
// mailbox that has a table recording its own path takes no other, and one
// that two tables match equally well takes neither.
void NoteMovedMailboxes(ArchiveTableList& archives, const std::vector<CurrentMailbox>& mailboxes,
                        const std::string& dataDir);
