// The test host's reading of a mailbox: its .toc index and the records of
// its .mbx file, each message's leading status line, headers, date and
// priority. The input is the index's length (two bytes, little-endian), the
// index, then the mailbox file. Besides not failing: an index that reads as
// intact is written back to the same entries, records lie in order inside
// the file, and a message the host would append scans back whole.
#include "testhost/mailstore/header_date.h"
#include "testhost/mailstore/mbox_format.h"
#include "testhost/mailstore/message_checksum.h"
#include "testhost/mailstore/message_headers.h"
#include "testhost/mailstore/message_priority.h"
#include "testhost/mailstore/store_error.h"
#include "testhost/mailstore/toc_file.h"
#include "targets/memory_file.h"

#include <cstdio>
#include <string>

namespace {

bool SameEntries(const TocContents& a, const TocContents& b) {
    if (a.entries.size() != b.entries.size() || a.nextId != b.nextId ||
        a.preambleEnd != b.preambleEnd || a.mbxSize != b.mbxSize) {
        return false;
    }
    for (size_t i = 0; i < a.entries.size(); ++i) {
        const TocEntry& x = a.entries[i];
        const TocEntry& y = b.entries[i];
        if (x.recordOffset != y.recordOffset || x.recordEnd != y.recordEnd ||
            x.checksum != y.checksum || x.message.id != y.message.id ||
            x.message.status != y.message.status || x.message.priority != y.message.priority ||
            x.message.offset != y.message.offset || x.message.length != y.message.length ||
            x.message.date != y.message.date) {
            return false;
        }
    }
    return true;
}

void CheckToc(const std::string& bytes) {
    const std::optional<TocReading> reading = ParseToc(bytes);
    if (!reading || !reading->entriesIntact) {
        return;
    }
    const std::optional<TocReading> again = ParseToc(SerializeToc(reading->contents));
    FUZZ_CHECK(again && again->entriesIntact && SameEntries(again->contents, reading->contents));
}

// What the host keeps of a message it finds in a record.
void ReadMessage(const std::string& message) {
    const std::optional<size_t> end = HeaderBlockEnd(message);
    const std::string headers = message.substr(0, end ? *end : message.size());
    DisplayDateOfHeader(FindHeader(headers, "Date"));
    const int32_t priority = PriorityOfHeader(FindHeader(headers, "X-Priority"));
    FUZZ_CHECK(priority >= 0 && priority <= 5);
    MessageChecksum(message);
}

// The records of a mailbox file of these bytes.
std::vector<RecordSpan> Scan(MemoryFile& file, const std::string& bytes) {
    file.Fill(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const DiskFile mbx(file.path());
    return ScanRecords(mbx);
}

void CheckMailbox(MemoryFile& file, const std::string& bytes) {
    const std::vector<RecordSpan> records = Scan(file, bytes);
    uint64_t previousEnd = 0;
    for (const RecordSpan& record : records) {
        FUZZ_CHECK(record.recordOffset >= previousEnd && record.offset > record.recordOffset);
        FUZZ_CHECK(record.offset <= bytes.size() && record.length <= bytes.size() - record.offset);
        previousEnd = record.offset + record.length;
        std::string message = bytes.substr(record.offset, record.length);
        if (const std::optional<StatusLine> line =
                LeadingStatusLine(std::string_view(message).substr(0, kLongestStatusLine))) {
            FUZZ_CHECK(line->length <= message.size());
            message.erase(0, line->length);
        }
        ReadMessage(message);
    }
}

// The host appends a message, as a record of its own after a line end, only
// when no line of it would read back as a separator; it must then find the
// same bytes there again.
void CheckAppended(MemoryFile& file, const std::string& message) {
    if (HoldsSeparatorLine(message)) {
        return;
    }
    const std::optional<size_t> end = HeaderBlockEnd(message);
    const std::optional<CivilTime> date = ParseHeaderDate(
        FindHeader(message.substr(0, end ? *end : message.size()), "Date").value_or(std::string()));
    const std::string separator = SeparatorLine(date ? *date : CivilTime{2006, 7, 1, 12, 0, 0});
    const bool statusLine =
        LeadingStatusLine(std::string_view(message).substr(0, kLongestStatusLine)).has_value();
    const std::string record = separator + (statusLine ? "X-Status: 0\r\n" : "") + message + "\r\n";
    const std::vector<RecordSpan> records = Scan(file, record);
    FUZZ_CHECK(records.size() == 1);
    FUZZ_CHECK(records[0].recordOffset == 0 && records[0].offset == separator.size());
    FUZZ_CHECK(records[0].length == record.size() - 2 - separator.size());
    std::string found = record.substr(records[0].offset, records[0].length);
    if (const std::optional<StatusLine> line =
            LeadingStatusLine(std::string_view(found).substr(0, kLongestStatusLine))) {
        found.erase(0, line->length);
    }
    FUZZ_CHECK(found == message);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file;
    if (size < 2) {
        return 0;
    }
    const size_t tocLength = std::min<size_t>(data[0] | (data[1] << 8), size - 2);
    const std::string toc(reinterpret_cast<const char*>(data) + 2, tocLength);
    const std::string mbx(reinterpret_cast<const char*>(data) + 2 + tocLength,
                          size - 2 - tocLength);
    try {
        CheckToc(toc);
        CheckMailbox(file, mbx);
        CheckAppended(file, mbx);
    } catch (const StoreError&) {
        // Only the stand-in's own file access throws, and it reads memory.
        FUZZ_CHECK(false);
    }
    return 0;
}
