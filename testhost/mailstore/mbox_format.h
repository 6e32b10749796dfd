// The host's mailbox file: records, each a separator line
// "From ???@??? Www Mmm d hh:mm:ss yyyy" and CR LF, the message's bytes, and
// a CR LF closing the record. Only a whole line of exactly that form starts a
// record; anything before the first one belongs to no message.
#pragma once

#include "testhost/mailstore/disk_file.h"
#include "testhost/mailstore/header_date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where one record and its message lie in the file. The record runs from its
// separator to the next separator (or the end of the file); the message
// excludes one closing CR LF when the record ends in one.
struct RecordSpan {
    uint64_t recordOffset = 0;
    uint64_t offset = 0;
    uint64_t length = 0;
};

// `line` without its line end. Tolerates a day written with a leading zero
// or blank, as older mail files have them.
bool IsSeparatorLine(std::string_view line);

// The separator line the host writes for a message of that date, with CR LF.
std::string SeparatorLine(const CivilTime& time);

// Whether a message, once written as a record, would hold a line that reads
// back as the start of another record.
bool HoldsSeparatorLine(std::string_view message);

// A record written by someone other than the host (restored messages come
// that way) may carry the message's status in a first line "X-Status: n".
// The line belongs to the record, not to the message.
struct StatusLine {
    size_t length = 0; // with its CR LF
    int32_t status = 0;
};
constexpr size_t kLongestStatusLine = 21;
std::optional<StatusLine> LeadingStatusLine(std::string_view messageStart);

// Reads the file in pieces from `from` (taken as the start of a line) to its
// end; the records in file order.
std::vector<RecordSpan> ScanRecords(const DiskFile& file, uint64_t from = 0);
