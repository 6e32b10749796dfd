// The number of messages the host last counted in a mailbox, read from the
// mailbox's index file without asking the host.
#pragma once

#include <string>

// The index beside `mbxPath` (its last three characters replaced by "toc")
// keeps the count as a 16-bit little-endian number at offset 102. -1 when
// the index is missing or too short.
int MailboxIndexCount(const std::string& mbxPath);
