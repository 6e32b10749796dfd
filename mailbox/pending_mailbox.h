// The host's "Pending" mailbox file, where restored messages wait until the
// host moves them into their own mailboxes.
#pragma once

#include <string>

// One message as a record of the host's mailbox file: the separator line for
// the date text, an "X-Status:" line carrying the status, the message's
// bytes as they are, and the CR LF that closes the record.
std::string PendingRecord(const std::string& dateText, int status, const std::string& rawText);

// Whether the message holds a line the host would read as the start of
// another record, which would split it in two.
bool HoldsSeparatorLikeLine(const std::string& rawText);

enum class AppendOutcome {
    Appended,
    NotWritten, // the file is as it was
    // A write failed and the file could not be cut back: it ends in part of
    // a record, which the host would read into the next message.
    FileDamaged,
};

// Appends the message's record to the end of the existing file at
// `mbxPath`, in one write. Nothing is written when the file is missing or
// cannot be opened, or when the message cannot be kept whole in a mailbox
// file (HoldsSeparatorLikeLine); the file is never created here.
AppendOutcome AppendPendingRecord(const std::string& mbxPath, const std::string& dateText,
                                  int status, const std::string& rawText);
// True when the record was appended.
bool AppendPendingMessage(const std::string& mbxPath, const std::string& dateText, int status,
                          const std::string& rawText);
