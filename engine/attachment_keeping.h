// What the archive run does with the files its messages name outside
// themselves: each file that exists goes into the archive with the message's
// row, in the row's own transaction, before the message may leave its
// mailbox. A message whose file could not be kept stays, and its mailbox's
// log record says why.
#pragma once

#include "db/attachment_store.h"
#include "engine/large_file_progress.h"
#include "mailbox/attachment_names.h"

#include <functional>
#include <string>
#include <vector>

class CADODatabase;

class AttachmentKeeping {
public:
    // Off when the settings say so (`KeepAttachments=0`); `dataDir` is the
    // host's mail folder.
    AttachmentKeeping(CADODatabase& database, const std::string& dataDir,
                      const std::string& settingsPath);

    bool enabled() const { return enabled_; }
    // The files `message` names; the names refused are counted for the
    // mailbox at once.
    NamedFiles Named(const std::string& message, int status);
    // Keeps `files` for row `rowid` of `table`, inside the caller's
    // transaction. True when every file that exists is in the archive now.
    // `status` shows the progress through a large file. Throws CADOException
    // when the archive refuses a write.
    bool Keep(const std::string& table, long long rowid, const NamedFiles& files,
              const StatusText& status);

    // The files kept since the last commit count once the file has them, and
    // not at all when the commit failed.
    void Committed();
    void CommitFailed();

    // The mailbox's lines for its log record, each only when it has
    // something to say; the counts start again for the next mailbox.
    std::string TakeMailboxLines();
    // Content no row names any longer, left by rows removed elsewhere.
    void RemoveOrphans();

private:
    AttachmentStore store_;
    bool enabled_ = true;
    AttachmentFolders folders_;
    int kept_ = 0;
    int notFound_ = 0;
    int refused_ = 0;
    int uncommittedKept_ = 0;
    int uncommittedNotFound_ = 0;
    // "path: reason" for each file that could not be kept.
    std::vector<std::string> notKept_;
};
