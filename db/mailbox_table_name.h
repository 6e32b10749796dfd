// A mailbox's name as the name of its archive table, and back.
#pragma once

#include <string>

constexpr const char* kMailboxTablePrefix = "Mailbox_";
constexpr size_t kMaxTableNameLength = 64;

// "Work.Old" gives "Mailbox_Work_PERIOD_Old". The characters a Jet table
// name cannot hold become marker words; the result is cut to 64 characters,
// so long names sharing their start share a table.
std::string TableNameFromMailboxName(const std::string& mailboxName);

// The reverse, for captions. Not exact: a name holding a marker word, or one
// that was cut, comes back changed.
std::string MailboxNameFromTableName(const std::string& tableName);

// Archive tables are the ones whose names begin with "Mailbox_" (exact case).
bool IsArchiveTableName(const std::string& tableName);
