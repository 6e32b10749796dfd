#include "testhost/mailstore/mailbox_file.h"

#include "testhost/mailstore/append_journal.h"
#include "testhost/mailstore/atomic_file.h"
#include "testhost/mailstore/mailbox_bytes.h"
#include "testhost/mailstore/mbox_format.h"
#include "testhost/mailstore/message_checksum.h"
#include "testhost/mailstore/message_headers.h"
#include "testhost/mailstore/message_priority.h"
#include "testhost/mailstore/toc_in_place.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

// Offsets in the index are 32-bit, as the host's are.
const uint64_t kLargestMailbox = 0xFFFFFFFFu;
// Headers longer than this are read no further; what follows is taken as body.
const size_t kLongestHeaderBlock = 1 << 20;

std::string TocPathFor(const std::string& mbxPath) {
    const size_t slash = mbxPath.find_last_of("\\/");
    const size_t dot = mbxPath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? mbxPath.substr(0, dot) : mbxPath) + ".toc";
}

// Copies byte ranges in file order, joining the ones that touch, through one
// buffer.
class RangeCopier {
public:
    RangeCopier(const DiskFile& from, AtomicFile& to) : from_(from), to_(to), buffer_(1 << 20) {}
    ~RangeCopier() = default;
    RangeCopier(const RangeCopier&) = delete;
    RangeCopier& operator=(const RangeCopier&) = delete;

    void Add(uint64_t begin, uint64_t end) {
        if (begin == pendingEnd_) {
            pendingEnd_ = end;
            return;
        }
        Flush();
        pendingBegin_ = begin;
        pendingEnd_ = end;
    }

    void Flush() {
        uint64_t begin = pendingBegin_;
        while (begin < pendingEnd_) {
            const size_t want =
                static_cast<size_t>(std::min<uint64_t>(pendingEnd_ - begin, buffer_.size()));
            if (from_.ReadSome(begin, buffer_.data(), want) != want) {
                throw StoreError("Cannot read " + from_.path() +
                                 ": it ended early while being copied");
            }
            to_.Write(buffer_.data(), want);
            begin += want;
        }
        pendingBegin_ = pendingEnd_;
    }

private:
    const DiskFile& from_;
    AtomicFile& to_;
    std::vector<char> buffer_;
    uint64_t pendingBegin_ = 0;
    uint64_t pendingEnd_ = 0;
};

std::string HeadersOf(const DiskFile& file, uint64_t offset, uint32_t length) {
    size_t want = std::min<size_t>(length, 8192);
    for (;;) {
        std::string text = file.ReadAt(offset, want);
        if (const auto end = HeaderBlockEnd(text)) {
            return text.substr(0, *end);
        }
        if (want == length || want >= kLongestHeaderBlock) {
            return text;
        }
        want = std::min<size_t>({length, want * 4, kLongestHeaderBlock});
    }
}

std::string HeadersOf(const std::string& message) {
    const auto end = HeaderBlockEnd(message);
    return message.substr(0, end ? *end : std::min(message.size(), kLongestHeaderBlock));
}

void DescribeFromHeaders(const std::string& headers, MessageEntry& entry) {
    entry.date = DisplayDateOfHeader(FindHeader(headers, "Date"));
    entry.priority = PriorityOfHeader(FindHeader(headers, "X-Priority"));
}

uint32_t NextId(const TocContents& toc, const std::string& mbxPath) {
    if (toc.nextId == 0 || toc.nextId == 0xFFFFFFFFu) {
        throw StoreError("No message ids are left in " + mbxPath);
    }
    return toc.nextId;
}

uint32_t TakeId(TocContents& toc, const std::string& mbxPath) {
    const uint32_t id = NextId(toc, mbxPath);
    ++toc.nextId;
    return id;
}

// What the old index knew of each message, found again by place or, for a
// message that moved within the file, by its bytes.
class OldEntries {
public:
    explicit OldEntries(const std::vector<TocEntry>& entries)
        : entries_(entries), taken_(entries.size(), false) {
        for (size_t i = 0; i < entries.size(); ++i) {
            byContent_.emplace(Key(entries[i].message.length, entries[i].checksum), i);
        }
    }

    const TocEntry* Take(uint64_t offset, uint32_t length, uint32_t checksum) {
        const auto atPlace = std::lower_bound(
            entries_.begin(), entries_.end(), offset,
            [](const TocEntry& entry, uint64_t at) { return entry.message.offset < at; });
        if (atPlace != entries_.end() && atPlace->message.offset == offset &&
            atPlace->message.length == length && atPlace->checksum == checksum) {
            const size_t index = static_cast<size_t>(atPlace - entries_.begin());
            if (!taken_[index]) {
                taken_[index] = true;
                return &*atPlace;
            }
        }
        const auto range = byContent_.equal_range(Key(length, checksum));
        for (auto it = range.first; it != range.second; ++it) {
            if (!taken_[it->second]) {
                taken_[it->second] = true;
                return &entries_[it->second];
            }
        }
        return nullptr;
    }

private:
    static uint64_t Key(uint32_t length, uint32_t checksum) {
        return (uint64_t(length) << 32) | checksum;
    }

    const std::vector<TocEntry>& entries_;
    std::vector<bool> taken_;
    std::multimap<uint64_t, size_t> byContent_;
};

uint32_t ChecksumOf(const DiskFile& mbx, uint64_t offset, uint64_t length) {
    uint32_t checksum = 0;
    std::vector<char> buffer(1 << 16);
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(length, buffer.size()));
        if (mbx.ReadSome(offset, buffer.data(), want) != want) {
            throw StoreError("Cannot read " + mbx.path() + ": it ended early");
        }
        checksum = MessageChecksum(std::string_view(buffer.data(), want), checksum);
        offset += want;
        length -= want;
    }
    return checksum;
}

// A new entry, with no id yet, for record `i` of a file of `size` bytes.
TocEntry EntryOfRecord(const DiskFile& mbx, const std::vector<RecordSpan>& spans, size_t i,
                       uint64_t size) {
    const RecordSpan& span = spans[i];
    TocEntry entry;
    entry.recordOffset = static_cast<uint32_t>(span.recordOffset);
    entry.recordEnd =
        static_cast<uint32_t>(i + 1 < spans.size() ? spans[i + 1].recordOffset : size);
    entry.message.offset = static_cast<uint32_t>(span.offset);
    entry.message.length = static_cast<uint32_t>(span.length);
    const std::string start = mbx.ReadAt(
        span.offset, static_cast<size_t>(std::min<uint64_t>(span.length, kLongestStatusLine)));
    if (const std::optional<StatusLine> line = LeadingStatusLine(start)) {
        entry.message.offset += static_cast<uint32_t>(line->length);
        entry.message.length -= static_cast<uint32_t>(line->length);
        entry.message.status = line->status;
    }
    entry.checksum = ChecksumOf(mbx, entry.message.offset, entry.message.length);
    DescribeFromHeaders(HeadersOf(mbx, entry.message.offset, entry.message.length), entry.message);
    return entry;
}

TocContents Rebuild(const DiskFile& mbx, const std::optional<TocReading>& old) {
    const std::vector<TocEntry> none;
    OldEntries oldEntries(old ? old->contents.entries : none);
    TocContents toc;
    toc.nextId = old ? old->contents.nextId : 1;
    uint32_t largestKept = 0;
    const uint64_t size = mbx.Size();
    std::vector<RecordSpan> spans = ScanRecords(mbx);
    toc.preambleEnd = static_cast<uint32_t>(spans.empty() ? size : spans.front().recordOffset);
    toc.entries.reserve(spans.size());
    for (size_t i = 0; i < spans.size(); ++i) {
        TocEntry entry = EntryOfRecord(mbx, spans, i, size);
        if (const TocEntry* kept =
                oldEntries.Take(entry.message.offset, entry.message.length, entry.checksum)) {
            entry.message.id = kept->message.id;
            entry.message.status = kept->message.status;
            entry.message.priority = kept->message.priority;
            largestKept = std::max(largestKept, kept->message.id);
        }
        toc.entries.push_back(std::move(entry));
    }
    if (largestKept >= toc.nextId) {
        toc.nextId = largestKept + 1;
    }
    for (TocEntry& entry : toc.entries) {
        if (entry.message.id == 0) {
            entry.message.id = TakeId(toc, mbx.path());
        }
    }
    return toc;
}

// Records added behind the host's back after the ones it knows, which stay
// exactly as they were: new entries for the records from the old end on.
// Empty when the file changed in any other way.
std::optional<TocContents> ExtendedToc(const DiskFile& mbx, const TocReading& old) {
    const TocContents& known = old.contents;
    const uint64_t size = mbx.Size();
    if (!old.entriesIntact || size <= known.mbxSize ||
        (known.mbxSize >= 2 && mbx.ReadAt(known.mbxSize - 2, 2) != "\r\n")) {
        return std::nullopt;
    }
    for (const TocEntry& entry : known.entries) {
        if (entry.recordEnd > known.mbxSize ||
            ChecksumOf(mbx, entry.message.offset, entry.message.length) != entry.checksum) {
            return std::nullopt;
        }
    }
    const std::vector<RecordSpan> spans = ScanRecords(mbx, known.mbxSize);
    if (spans.empty() || spans.front().recordOffset != known.mbxSize) {
        return std::nullopt;
    }
    TocContents toc = known;
    for (size_t i = 0; i < spans.size(); ++i) {
        TocEntry entry = EntryOfRecord(mbx, spans, i, size);
        entry.message.id = TakeId(toc, mbx.path());
        toc.entries.push_back(std::move(entry));
    }
    return toc;
}

bool TocMatches(const TocReading& toc, const FileStamp& mbx) {
    const TocContents& contents = toc.contents;
    if (!toc.entriesIntact || contents.mbxSize != mbx.size ||
        contents.mbxLastWrite != mbx.lastWrite) {
        return false;
    }
    return contents.preambleEnd <= mbx.size &&
           (contents.entries.empty() || contents.entries.back().recordEnd <= mbx.size);
}

void RequireSize(const std::string& path, uint64_t size) {
    if (size > kLargestMailbox) {
        throw StoreError(path + " would be larger than the 4 GB a mailbox file can hold");
    }
}

// All but the entries, to put back after a change in place failed.
TocContents HeaderOnly(const TocContents& toc) {
    TocContents header;
    header.mbxSize = toc.mbxSize;
    header.mbxLastWrite = toc.mbxLastWrite;
    header.nextId = toc.nextId;
    header.preambleEnd = toc.preambleEnd;
    return header;
}

CivilTime Now() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return CivilTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

} // namespace

MailboxFile::MailboxFile(std::string mbxPath)
    : mbxPath_(std::move(mbxPath)), tocPath_(TocPathFor(mbxPath_)) {}

void MailboxFile::CreateEmpty(const std::string& mbxPath) {
    {
        UniqueFile created(::CreateFileA(mbxPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!created) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
                throw StoreError("Cannot create the mailbox " + mbxPath + ": it already exists");
            }
            ThrowSystemError("Cannot create the mailbox", mbxPath, error);
        }
    }
    const FileStamp stamp = ReadFileStamp(mbxPath);
    TocContents toc;
    toc.mbxSize = stamp.size;
    toc.mbxLastWrite = stamp.lastWrite;
    WriteTocFile(TocPathFor(mbxPath), toc);
}

void MailboxFile::Load() {
    RecoverInterruptedAppend(mbxPath_, tocPath_);
    const DiskFile mbx(mbxPath_);
    const FileStamp mbxStamp = mbx.Stamp();
    RequireSize(mbxPath_, mbxStamp.size);
    const std::optional<TocReading> old = ReadTocFile(tocPath_);
    TocContents toc;
    std::optional<TocContents> extended;
    if (old && TocMatches(*old, mbxStamp)) {
        toc = old->contents;
    } else {
        if (old) {
            extended = ExtendedToc(mbx, *old);
        }
        toc = extended ? std::move(*extended) : Rebuild(mbx, old);
        toc.mbxSize = mbxStamp.size;
        toc.mbxLastWrite = mbxStamp.lastWrite;
        WriteTocFile(tocPath_, toc);
    }
    toc_ = std::move(toc);
    mbxStamp_ = mbxStamp;
    tocStamp_ = ReadFileStamp(tocPath_);
    loaded_ = true;
}

bool MailboxFile::ChangedOnDisk() const {
    return ReadFileStamp(mbxPath_) != mbxStamp_ || ReadFileStamp(tocPath_) != tocStamp_;
}

const MessageEntry& MailboxFile::Entry(size_t index) const {
    RequireIndex(index);
    return toc_.entries[index].message;
}

std::optional<size_t> MailboxFile::IndexOfId(uint32_t id) const {
    for (size_t i = 0; i < toc_.entries.size(); ++i) {
        if (toc_.entries[i].message.id == id) {
            return i;
        }
    }
    return std::nullopt;
}

std::string MailboxFile::RawText(size_t index) const {
    RequireIndex(index);
    const DiskFile mbx = OpenAsLoaded();
    const MessageEntry& entry = toc_.entries[index].message;
    return mbx.ReadAt(entry.offset, entry.length);
}

std::string MailboxFile::ReadHeaders(size_t index) const {
    const DiskFile mbx = OpenAsLoaded();
    const MessageEntry& entry = toc_.entries[index].message;
    return HeadersOf(mbx, entry.offset, entry.length);
}

std::string MailboxFile::HeaderField(size_t index, int field) const {
    RequireIndex(index);
    const char* name = nullptr;
    switch (field) {
    case kFieldDate:
        return toc_.entries[index].message.date;
    case kFieldFrom:
        name = "From";
        break;
    case kFieldSubject:
        name = "Subject";
        break;
    case kFieldTo:
        name = "To";
        break;
    default:
        return std::string();
    }
    return FindHeader(ReadHeaders(index), name).value_or(std::string());
}

std::string MailboxFile::PriorityText(size_t index) const {
    return ::PriorityText(Entry(index).priority);
}

void MailboxFile::SetStatus(size_t index, int32_t status) {
    RequireUnchanged("change a status in");
    RequireIndex(index);
    int32_t& kept = toc_.entries[index].message.status;
    const int32_t before = kept;
    kept = status;
    try {
        WriteTocStatus(tocPath_, toc_, index);
    } catch (const StoreError&) {
        kept = before;
        throw;
    }
    tocStamp_ = ReadFileStamp(tocPath_);
}

uint32_t MailboxFile::Append(const std::string& raw, int32_t status) {
    return Append(raw, status, Now());
}

uint32_t MailboxFile::Append(const std::string& raw, int32_t status,
                             const CivilTime& undatedArrival) {
    RequireUnchanged("append to");
    if (HoldsSeparatorLine(raw)) {
        throw StoreError("Cannot append to " + mbxPath_ +
                         ": the message holds a line that would read back as the start of "
                         "another message");
    }
    const std::string headers = HeadersOf(raw);
    const auto date = ParseHeaderDate(FindHeader(headers, "Date").value_or(std::string()));
    const std::string separator = SeparatorLine(date ? *date : undatedArrival);
    // A message that itself begins like a record's status line gets the
    // record's own line in front: a rebuilt index then takes that one and
    // keeps the message whole.
    const std::string statusLine =
        LeadingStatusLine(std::string_view(raw).substr(0, kLongestStatusLine))
            ? "X-Status: " + std::to_string(std::max(status, 0)) + "\r\n"
            : std::string();

    TocEntry added;
    added.message.id = NextId(toc_, mbxPath_);
    added.message.status = status;
    DescribeFromHeaders(headers, added.message);

    const uint64_t oldSize = mbxStamp_.size;
    std::string bytes;
    // Set when the entries already there change too, which only a file whose
    // last line was left unended makes them do: the index is then written
    // whole.
    std::optional<TocContents> whole;
    {
        const DiskFile mbx = OpenAsLoaded();
        // A separator only counts at the start of a line.
        const std::string tail = mbx.ReadAt(oldSize - std::min<uint64_t>(oldSize, 2),
                                            static_cast<size_t>(std::min<uint64_t>(oldSize, 2)));
        if (oldSize > 0 && tail != "\r\n") {
            bytes = "\r\n";
            whole = toc_;
            TocEntry* last = whole->entries.empty() ? nullptr : &whole->entries.back();
            if (last && last->recordEnd == oldSize) {
                last->recordEnd += 2;
                // A separator left unfinished at the very end gets this line
                // end as its own, so its empty message now starts after it.
                if (tail.back() != '\n' && last->message.offset == oldSize) {
                    last->message.offset += 2;
                }
            } else if (whole->preambleEnd == oldSize) {
                whole->preambleEnd += 2;
            }
        }
    }
    const uint64_t recordOffset = oldSize + bytes.size();
    RequireSize(mbxPath_, recordOffset + separator.size() + statusLine.size() + raw.size() + 2);
    added.recordOffset = static_cast<uint32_t>(recordOffset);
    added.message.offset =
        static_cast<uint32_t>(recordOffset + separator.size() + statusLine.size());
    added.message.length = static_cast<uint32_t>(raw.size());
    added.recordEnd = static_cast<uint32_t>(added.message.offset + raw.size() + 2);
    added.checksum = MessageChecksum(raw);
    bytes += separator;
    bytes += statusLine;
    bytes += raw;
    bytes += "\r\n";

    const uint32_t id = added.message.id;
    WriteAppendJournal(mbxPath_, AppendIntent{oldSize, id});
    try {
        AppendToMailboxFile(mbxPath_, oldSize, bytes);
    } catch (const StoreError&) {
        RemoveAppendJournal(mbxPath_);
        throw;
    }
    try {
        const FileStamp mbxStamp = ReadFileStamp(mbxPath_);
        if (whole) {
            whole->nextId = id + 1;
            whole->entries.push_back(std::move(added));
            CommitToc(std::move(*whole), mbxStamp);
        } else {
            CommitAppended(std::move(added), mbxStamp);
        }
    } catch (const StoreError&) {
        // The index could not take the message: it must not stay in the file
        // either. The old stamp, still held, makes the next use load the
        // mailbox again.
        TruncateMailboxFile(mbxPath_, oldSize);
        RemoveAppendJournal(mbxPath_);
        throw;
    }
    RemoveAppendJournal(mbxPath_);
    return id;
}

void MailboxFile::Remove(size_t index) {
    RequireUnchanged("remove a message from");
    RequireIndex(index);
    // The last record is cut off in place, as the tasks take messages from
    // the end; any other is dropped by rewriting the file without it.
    const bool last = index + 1 == toc_.entries.size();
    if (last && toc_.entries[index].recordEnd == mbxStamp_.size) {
        const uint64_t newEnd = index == 0 ? toc_.preambleEnd : toc_.entries[index - 1].recordEnd;
        TruncateMailboxFile(mbxPath_, newEnd);
        CommitRemovedLast(ReadFileStamp(mbxPath_));
    } else {
        TocContents next = toc_;
        next.entries.erase(next.entries.begin() + static_cast<std::ptrdiff_t>(index));
        Rewrite(std::move(next));
    }
}

void MailboxFile::Rewrite(TocContents next) {
    AtomicFile out(mbxPath_);
    {
        const DiskFile mbx = OpenAsLoaded();
        RangeCopier copier(mbx, out);
        copier.Add(0, next.preambleEnd);
        uint32_t position = next.preambleEnd;
        for (TocEntry& entry : next.entries) {
            copier.Add(entry.recordOffset, entry.recordEnd);
            const uint32_t shift = entry.recordOffset - position;
            entry.recordOffset -= shift;
            entry.recordEnd -= shift;
            entry.message.offset -= shift;
            position = entry.recordEnd;
        }
        copier.Flush();
    }
    out.Commit();
    CommitToc(std::move(next), ReadFileStamp(mbxPath_));
}

DiskFile MailboxFile::OpenAsLoaded() const {
    DiskFile mbx(mbxPath_);
    if (mbx.Stamp() != mbxStamp_) {
        throw StoreError(mbxPath_ + " changed on disk since it was loaded; load it again");
    }
    return mbx;
}

void MailboxFile::RequireUnchanged(const char* action) const {
    if (!loaded_) {
        throw StoreError(std::string("Cannot ") + action + " " + mbxPath_ + ": it is not loaded");
    }
    if (ChangedOnDisk()) {
        throw StoreError(std::string("Cannot ") + action + " " + mbxPath_ +
                         ": it changed on disk since it was loaded; load it again");
    }
}

void MailboxFile::RequireIndex(size_t index) const {
    if (index >= toc_.entries.size()) {
        throw StoreError("No message " + std::to_string(index) + " in " + mbxPath_ +
                         ", which holds " + std::to_string(toc_.entries.size()));
    }
}

// Should any of these fail after the .mbx changed, the .toc no longer
// matches it and the next Load rebuilds the index. Until then what is in
// memory stays as it was, the .mbx's old stamp with it: the next use sees
// the change and loads the mailbox again rather than read the new file
// through the old offsets.

void MailboxFile::CommitToc(TocContents next, const FileStamp& mbx) {
    next.mbxSize = mbx.size;
    next.mbxLastWrite = mbx.lastWrite;
    WriteTocFile(tocPath_, next);
    toc_ = std::move(next);
    mbxStamp_ = mbx;
    tocStamp_ = ReadFileStamp(tocPath_);
}

void MailboxFile::CommitAppended(TocEntry added, const FileStamp& mbx) {
    TocContents before = HeaderOnly(toc_);
    toc_.nextId = added.message.id + 1;
    toc_.mbxSize = mbx.size;
    toc_.mbxLastWrite = mbx.lastWrite;
    toc_.entries.push_back(std::move(added));
    try {
        AppendTocEntries(tocPath_, toc_, toc_.entries.size() - 1);
    } catch (const StoreError&) {
        toc_.entries.pop_back();
        RestoreHeader(std::move(before));
        throw;
    }
    mbxStamp_ = mbx;
    tocStamp_ = ReadFileStamp(tocPath_);
}

void MailboxFile::CommitRemovedLast(const FileStamp& mbx) {
    TocContents before = HeaderOnly(toc_);
    TocEntry removed = std::move(toc_.entries.back());
    toc_.entries.pop_back();
    toc_.mbxSize = mbx.size;
    toc_.mbxLastWrite = mbx.lastWrite;
    try {
        DropTocEntries(tocPath_, toc_);
    } catch (const StoreError&) {
        toc_.entries.push_back(std::move(removed));
        RestoreHeader(std::move(before));
        throw;
    }
    mbxStamp_ = mbx;
    tocStamp_ = ReadFileStamp(tocPath_);
}

void MailboxFile::RestoreHeader(TocContents before) {
    before.entries = std::move(toc_.entries);
    toc_ = std::move(before);
}
