#include "testhost/mailstore/mailbox_file.h"

#include "testhost/mailstore/atomic_file.h"
#include "testhost/mailstore/mbox_format.h"
#include "testhost/mailstore/message_headers.h"
#include "testhost/mailstore/message_priority.h"

#include <algorithm>
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

void CopyRange(const DiskFile& from, uint64_t begin, uint64_t end, AtomicFile& to) {
    std::vector<char> buffer(1 << 20);
    while (begin < end) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(end - begin, buffer.size()));
        if (from.ReadSome(begin, buffer.data(), want) != want) {
            throw StoreError("Cannot read " + from.path() + ": it ended early while being copied");
        }
        to.Write(buffer.data(), want);
        begin += want;
    }
}

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

uint32_t TakeId(TocContents& toc, const std::string& mbxPath) {
    if (toc.nextId == 0 || toc.nextId == 0xFFFFFFFFu) {
        throw StoreError("No message ids are left in " + mbxPath);
    }
    return toc.nextId++;
}

// The old entry at exactly that place, if the old index had one.
const TocEntry* OldEntryAt(const std::vector<TocEntry>& old, const RecordSpan& span) {
    const auto found = std::lower_bound(
        old.begin(), old.end(), span.offset,
        [](const TocEntry& entry, uint64_t offset) { return entry.message.offset < offset; });
    if (found == old.end() || found->message.offset != span.offset ||
        found->message.length != span.length) {
        return nullptr;
    }
    return &*found;
}

TocContents Rebuild(const DiskFile& mbx, const std::optional<TocReading>& old) {
    const std::vector<TocEntry> none;
    const std::vector<TocEntry>& oldEntries = old ? old->contents.entries : none;
    TocContents toc;
    toc.nextId = old ? old->contents.nextId : 1;
    uint32_t largestKept = 0;
    std::vector<RecordSpan> spans = ScanRecords(mbx);
    toc.entries.reserve(spans.size());
    for (const RecordSpan& span : spans) {
        TocEntry entry;
        entry.recordOffset = static_cast<uint32_t>(span.recordOffset);
        entry.message.offset = static_cast<uint32_t>(span.offset);
        entry.message.length = static_cast<uint32_t>(span.length);
        DescribeFromHeaders(HeadersOf(mbx, span.offset, entry.message.length), entry.message);
        if (const TocEntry* kept = OldEntryAt(oldEntries, span)) {
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

bool TocMatches(const TocReading& toc, const FileStamp& mbx) {
    const TocContents& contents = toc.contents;
    if (!toc.entriesIntact || contents.mbxSize != mbx.size ||
        contents.mbxLastWrite != mbx.lastWrite) {
        return false;
    }
    return contents.entries.empty() || uint64_t(contents.entries.back().message.offset) +
                                               contents.entries.back().message.length <=
                                           mbx.size;
}

void RequireSize(const std::string& path, uint64_t size) {
    if (size > kLargestMailbox) {
        throw StoreError(path + " would be larger than the 4 GB a mailbox file can hold");
    }
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
    const DiskFile mbx(mbxPath_);
    const FileStamp mbxStamp = mbx.Stamp();
    RequireSize(mbxPath_, mbxStamp.size);
    const std::optional<TocReading> old = ReadTocFile(tocPath_);
    TocContents toc;
    if (old && TocMatches(*old, mbxStamp)) {
        toc = old->contents;
    } else {
        toc = Rebuild(mbx, old);
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
    const DiskFile mbx(mbxPath_);
    if (mbx.Stamp() != mbxStamp_) {
        throw StoreError(mbxPath_ + " changed on disk since it was loaded; load it again");
    }
    const MessageEntry& entry = toc_.entries[index].message;
    return mbx.ReadAt(entry.offset, entry.length);
}

std::string MailboxFile::ReadHeaders(size_t index) const {
    const DiskFile mbx(mbxPath_);
    if (mbx.Stamp() != mbxStamp_) {
        throw StoreError(mbxPath_ + " changed on disk since it was loaded; load it again");
    }
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
    TocContents next = toc_;
    next.entries[index].message.status = status;
    CommitToc(std::move(next));
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

    TocContents next = toc_;
    TocEntry added;
    added.message.id = TakeId(next, mbxPath_);
    added.message.status = status;
    DescribeFromHeaders(headers, added.message);

    const uint64_t oldSize = mbxStamp_.size;
    AtomicFile out(mbxPath_);
    {
        const DiskFile mbx(mbxPath_);
        if (mbx.Stamp() != mbxStamp_) {
            throw StoreError(mbxPath_ + " changed on disk since it was loaded; load it again");
        }
        // A separator only counts at the start of a line.
        const std::string tail = mbx.ReadAt(oldSize - std::min<uint64_t>(oldSize, 2),
                                            static_cast<size_t>(std::min<uint64_t>(oldSize, 2)));
        const bool needsLineEnd = oldSize > 0 && tail != "\r\n";
        const uint64_t recordOffset = oldSize + (needsLineEnd ? 2 : 0);
        RequireSize(mbxPath_, recordOffset + separator.size() + raw.size() + 2);
        CopyRange(mbx, 0, oldSize, out);
        if (needsLineEnd) {
            out.Write("\r\n", 2);
            // A separator left unfinished at the very end gets this line end
            // as its own, so its empty message now starts after it.
            if (tail.back() != '\n' && !next.entries.empty() &&
                next.entries.back().message.offset == oldSize) {
                next.entries.back().message.offset += 2;
            }
        }
        added.recordOffset = static_cast<uint32_t>(recordOffset);
        added.message.offset = static_cast<uint32_t>(recordOffset + separator.size());
        added.message.length = static_cast<uint32_t>(raw.size());
    }
    out.Write(separator);
    out.Write(raw);
    out.Write("\r\n", 2);
    out.Commit();

    const uint32_t id = added.message.id;
    next.entries.push_back(std::move(added));
    mbxStamp_ = ReadFileStamp(mbxPath_);
    CommitToc(std::move(next));
    return id;
}

void MailboxFile::Remove(size_t index) {
    RequireUnchanged("remove a message from");
    RequireIndex(index);
    const uint64_t begin = toc_.entries[index].recordOffset;
    const uint64_t end =
        index + 1 < toc_.entries.size() ? toc_.entries[index + 1].recordOffset : mbxStamp_.size;

    AtomicFile out(mbxPath_);
    {
        const DiskFile mbx(mbxPath_);
        if (mbx.Stamp() != mbxStamp_) {
            throw StoreError(mbxPath_ + " changed on disk since it was loaded; load it again");
        }
        CopyRange(mbx, 0, begin, out);
        CopyRange(mbx, end, mbxStamp_.size, out);
    }
    out.Commit();

    TocContents next = toc_;
    next.entries.erase(next.entries.begin() + static_cast<std::ptrdiff_t>(index));
    const uint32_t removed = static_cast<uint32_t>(end - begin);
    for (size_t i = index; i < next.entries.size(); ++i) {
        next.entries[i].recordOffset -= removed;
        next.entries[i].message.offset -= removed;
    }
    mbxStamp_ = ReadFileStamp(mbxPath_);
    CommitToc(std::move(next));
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

void MailboxFile::CommitToc(TocContents next) {
    next.mbxSize = mbxStamp_.size;
    next.mbxLastWrite = mbxStamp_.lastWrite;
    toc_ = std::move(next);
    // Should this fail, the .toc no longer matches the .mbx: ChangedOnDisk
    // says so, and the next Load rebuilds it.
    WriteTocFile(tocPath_, toc_);
    tocStamp_ = ReadFileStamp(tocPath_);
}
