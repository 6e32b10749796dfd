// What a restore does with the files kept for its rows: before a message is
// written to "Pending", on its way home, every file kept for it that is
// missing at its path is written back; a file already there is left alone.
// When rows leave the archive their files' references go with them, in the
// same transaction, and content no row names any longer goes too.
#pragma once

#include "db/attachment_store.h"
#include "engine/large_file_progress.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class CADODatabase;

class AttachmentRestoring {
public:
    explicit AttachmentRestoring(CADODatabase& database) : store_(database) {}

    // True when every file kept for row `rowid` of `table` is in place now
    // (written back, or there already). `status` shows the progress
    // through a large file.
    bool PutBack(const std::string& table, long long rowid, const StatusText& status);
    // Inside the caller's transaction that removes the row. Throws
    // CADOException.
    void Forget(const std::string& table, long long rowid) { store_.ForgetRows(table, {rowid}); }

    // The archive's lines for its log record, each only when it has
    // something to say; the counts start again for the next archive.
    std::string TakeArchiveLines();

private:
    AttachmentStore store_;
    std::optional<bool> keepsFiles_;
    int written_ = 0;
    std::vector<std::string> different_;
    // "path: reason" for each file that could not be written back.
    std::vector<std::string> failed_;
};
