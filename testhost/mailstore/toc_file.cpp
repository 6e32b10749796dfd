#include "testhost/mailstore/toc_file.h"

#include "testhost/mailstore/atomic_file.h"
#include "testhost/mailstore/disk_file.h"
#include "testhost/mailstore/little_endian.h"
#include "testhost/mailstore/store_error.h"

#include <algorithm>
#include <cstring>

namespace {

const char kMagic[8] = {'S', 'T', 'W', 'K', 'T', 'O', 'C', '\x1A'};
const uint32_t kVersion = 2;
const size_t kEntryFixedSize = 34;
// Far beyond any real index; guards against reading a wrong file whole.
const uint64_t kLargestToc = 256u << 20;

// Entries the mailbox can rely on: in file order, not overlapping, with
// distinct ids below the counter.
bool EntriesConsistent(const std::vector<TocEntry>& entries, uint32_t nextId) {
    std::vector<uint32_t> ids;
    ids.reserve(entries.size());
    uint64_t previousEnd = 0;
    for (const TocEntry& entry : entries) {
        const MessageEntry& message = entry.message;
        const uint64_t end = uint64_t(message.offset) + message.length;
        if (entry.recordOffset < previousEnd || message.offset <= entry.recordOffset ||
            end > entry.recordEnd || message.id == 0 || message.id >= nextId ||
            message.priority < 0 || message.priority > 5) {
            return false;
        }
        previousEnd = entry.recordEnd;
        ids.push_back(message.id);
    }
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) == ids.end();
}

std::optional<std::vector<TocEntry>> ParseEntries(std::string_view bytes, uint32_t count) {
    std::vector<TocEntry> entries;
    entries.reserve(std::min<size_t>(count, bytes.size() / kEntryFixedSize));
    size_t at = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (bytes.size() - at < kEntryFixedSize) {
            return std::nullopt;
        }
        TocEntry entry;
        entry.recordOffset = static_cast<uint32_t>(GetLittleEndian(bytes, at, 4));
        entry.recordEnd = static_cast<uint32_t>(GetLittleEndian(bytes, at + 4, 4));
        entry.message.offset = static_cast<uint32_t>(GetLittleEndian(bytes, at + 8, 4));
        entry.message.length = static_cast<uint32_t>(GetLittleEndian(bytes, at + 12, 4));
        entry.message.id = static_cast<uint32_t>(GetLittleEndian(bytes, at + 16, 4));
        entry.message.status = static_cast<int32_t>(GetLittleEndian(bytes, at + 20, 4));
        entry.message.priority = static_cast<int32_t>(GetLittleEndian(bytes, at + 24, 4));
        entry.checksum = static_cast<uint32_t>(GetLittleEndian(bytes, at + 28, 4));
        const size_t dateLength = static_cast<size_t>(GetLittleEndian(bytes, at + 32, 2));
        at += kEntryFixedSize;
        if (bytes.size() - at < dateLength) {
            return std::nullopt;
        }
        entry.message.date.assign(bytes.data() + at, dateLength);
        at += dateLength;
        entries.push_back(std::move(entry));
    }
    if (at != bytes.size()) {
        return std::nullopt;
    }
    return entries;
}

} // namespace

size_t TocEntrySize(const TocEntry& entry) {
    return kEntryFixedSize + std::min<size_t>(entry.message.date.size(), 0xFFFF);
}

void AppendTocEntryBytes(std::string& out, const TocEntry& entry) {
    const MessageEntry& message = entry.message;
    AppendLittleEndian(out, entry.recordOffset, 4);
    AppendLittleEndian(out, entry.recordEnd, 4);
    AppendLittleEndian(out, message.offset, 4);
    AppendLittleEndian(out, message.length, 4);
    AppendLittleEndian(out, message.id, 4);
    AppendLittleEndian(out, static_cast<uint32_t>(message.status), 4);
    AppendLittleEndian(out, static_cast<uint32_t>(message.priority), 4);
    AppendLittleEndian(out, entry.checksum, 4);
    const size_t dateLength = std::min<size_t>(message.date.size(), 0xFFFF);
    AppendLittleEndian(out, dateLength, 2);
    out.append(message.date, 0, dateLength);
}

std::string SerializeTocHeader(const TocContents& toc, size_t entryBytes) {
    const size_t count = toc.entries.size();
    std::string out(kTocHeaderSize, '\0');
    std::memcpy(&out[0], kMagic, sizeof kMagic);
    PutLittleEndian(out, 8, kVersion, 4);
    PutLittleEndian(out, 12, kTocHeaderSize, 4);
    PutLittleEndian(out, 16, count, 4);
    PutLittleEndian(out, 20, toc.nextId, 4);
    PutLittleEndian(out, 24, toc.mbxSize, 8);
    PutLittleEndian(out, 32, toc.mbxLastWrite, 8);
    PutLittleEndian(out, 40, entryBytes, 4);
    PutLittleEndian(out, 44, toc.preambleEnd, 4);
    PutLittleEndian(out, kTocCountOffset, std::min<size_t>(count, 0xFFFF), 2);
    return out;
}

std::string SerializeToc(const TocContents& toc) {
    std::string entries;
    for (const TocEntry& entry : toc.entries) {
        AppendTocEntryBytes(entries, entry);
    }
    return SerializeTocHeader(toc, entries.size()) + entries;
}

std::optional<TocReading> ParseToc(std::string_view bytes) {
    if (bytes.size() < kTocHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0 ||
        GetLittleEndian(bytes, 8, 4) != kVersion ||
        GetLittleEndian(bytes, 12, 4) != kTocHeaderSize) {
        return std::nullopt;
    }
    TocReading reading;
    TocContents& toc = reading.contents;
    toc.nextId = static_cast<uint32_t>(GetLittleEndian(bytes, 20, 4));
    toc.mbxSize = GetLittleEndian(bytes, 24, 8);
    toc.mbxLastWrite = GetLittleEndian(bytes, 32, 8);
    toc.preambleEnd = static_cast<uint32_t>(GetLittleEndian(bytes, 44, 4));
    const uint32_t count = static_cast<uint32_t>(GetLittleEndian(bytes, 16, 4));
    const uint64_t entryBytes = GetLittleEndian(bytes, 40, 4);
    const bool countsAgree =
        GetLittleEndian(bytes, kTocCountOffset, 2) == std::min<uint32_t>(count, 0xFFFF);
    // Bytes past the entries the header counts are what an unfinished change
    // in place wrote before its header: not part of the table.
    if (countsAgree && entryBytes <= bytes.size() - kTocHeaderSize) {
        auto entries =
            ParseEntries(bytes.substr(kTocHeaderSize, static_cast<size_t>(entryBytes)), count);
        if (entries && EntriesConsistent(*entries, toc.nextId) &&
            (entries->empty() || toc.preambleEnd <= entries->front().recordOffset)) {
            toc.entries = std::move(*entries);
            reading.entriesIntact = true;
        }
    }
    return reading;
}

std::optional<TocReading> ReadTocFile(const std::string& path) {
    try {
        DiskFile file(path);
        const uint64_t size = file.Size();
        if (size > kLargestToc) {
            return std::nullopt;
        }
        return ParseToc(file.ReadAt(0, static_cast<size_t>(size)));
    } catch (const StoreError&) {
        // An index that cannot be read is rebuilt from its mailbox file.
        return std::nullopt;
    }
}

void WriteTocFile(const std::string& path, const TocContents& toc) {
    AtomicFile file(path);
    file.Write(SerializeToc(toc));
    file.Commit();
}

uint16_t ReadTocMessageCount(const std::string& tocPath) {
    DiskFile file(tocPath);
    return static_cast<uint16_t>(GetLittleEndian(file.ReadAt(kTocCountOffset, 2), 0, 2));
}
