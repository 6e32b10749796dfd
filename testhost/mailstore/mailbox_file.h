// One mailbox of the test host: its .mbx file of messages and the .toc index
// beside it, kept the way the host keeps them.
//
// Only the index lives in memory; message bytes are read from the .mbx when
// asked for. Every change is on disk before the call returns, the .mbx first:
// appends are written in place under a journal, the last record is cut off
// in place, other removals replace the file whole, and a rebuilt index
// recognises messages by their bytes, so a crash leaves the old or the new
// state. The index follows appends, removals of the last record and status
// changes in place, so a move costs the same whatever the mailbox holds.
// Changes are refused while the files differ from what this object last saw,
// since its indexes would then point at other messages.
#pragma once

#include "testhost/mailstore/disk_file.h"
#include "testhost/mailstore/header_date.h"
#include "testhost/mailstore/message_entry.h"
#include "testhost/mailstore/store_error.h"
#include "testhost/mailstore/toc_file.h"

#include <cstdint>
#include <optional>
#include <string>

// The header fields the plug-in asks the host for by number.
enum MessageField {
    kFieldFrom = 4,
    kFieldDate = 5,
    kFieldSubject = 15,
    kFieldTo = 16,
};

class MailboxFile {
public:
    // The .toc path is the .mbx path with its extension replaced.
    explicit MailboxFile(std::string mbxPath);

    // A new empty mailbox; StoreError when the .mbx already exists.
    static void CreateEmpty(const std::string& mbxPath);

    // Reads the index, or rebuilds and writes it when it is missing, unreadable
    // or no longer matches the .mbx. StoreError when the .mbx cannot be read;
    // the object then keeps what it had.
    void Load();

    // From file attributes only: the .mbx or .toc is not as this object last
    // loaded or wrote it.
    bool ChangedOnDisk() const;

    const std::string& path() const { return mbxPath_; }
    const std::string& tocPath() const { return tocPath_; }

    size_t Count() const { return toc_.entries.size(); }
    const MessageEntry& Entry(size_t index) const;
    std::optional<size_t> IndexOfId(uint32_t id) const;

    // The message's bytes exactly as stored.
    std::string RawText(size_t index) const;
    // The value of From, Subject or To, or the shown date; empty for any other
    // field or a header the message lacks.
    std::string HeaderField(size_t index, int field) const;
    std::string PriorityText(size_t index) const;

    void SetStatus(size_t index, int32_t status);

    // Adds the message at the end with a new id, which it returns. The record's
    // separator carries the message's own date, or `undatedArrival` (now, in
    // the first form) when its Date header is missing or unreadable. StoreError
    // for a message holding a line that would read back as a separator.
    uint32_t Append(const std::string& raw, int32_t status);
    uint32_t Append(const std::string& raw, int32_t status, const CivilTime& undatedArrival);

    void Remove(size_t index);

private:
    void RequireUnchanged(const char* action) const;
    // The .mbx, opened only when it is still as this object last saw it.
    DiskFile OpenAsLoaded() const;
    void RequireIndex(size_t index) const;
    std::string ReadHeaders(size_t index) const;
    // Make the index on disk and here follow the .mbx, which already holds
    // the change and now has the stamp `mbx`: the whole index `next`, or in
    // place one entry added at the end or the last one dropped.
    void CommitToc(TocContents next, const FileStamp& mbx);
    void CommitAppended(TocEntry added, const FileStamp& mbx);
    void CommitRemovedLast(const FileStamp& mbx);
    // The index in memory back to `before`'s header after a change in place
    // failed; the entries must already be as they were.
    void RestoreHeader(TocContents before);
    // Replaces the .mbx with the preamble and the records `next` names.
    void Rewrite(TocContents next);

    std::string mbxPath_;
    std::string tocPath_;
    TocContents toc_;
    FileStamp mbxStamp_;
    FileStamp tocStamp_;
    bool loaded_ = false;
};
