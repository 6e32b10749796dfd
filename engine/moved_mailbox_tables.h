// The tables of mailboxes that moved with the mail folder, as the host now
// has its mailboxes.
#pragma once

#include "db/archive_schema.h"

class HostApplication;

// Notes them in `archives` (see NoteMovedMailboxes). Asks the host only when
// some table's recorded mailbox file is gone. Host errors are thrown.
void NoteMovedMailboxesOfHost(ArchiveTableList& archives, const HostApplication& host);
