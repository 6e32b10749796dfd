// The host's data directory as the host sees it: mailboxes and folders to
// any depth, each with an id unique in the host, and the mailboxes' files
// kept loaded and fresh.
#pragma once

#include "testhost/mailstore/mailbox_file.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct FolderEntry {
    std::string path; // the .mbx file or the .fol directory
    std::string name;
    bool isMailbox = false;
    long id = 0;
};

class MailStore {
public:
    // Makes In, Out and Trash when they are missing. Throws StoreError when
    // the directory is not there.
    explicit MailStore(std::string dataDir);

    const std::string& dataDir() const { return dataDir_; }

    // The mailboxes and folders in `directory` (the data directory or a
    // folder's path): at the top In, Out and Trash first, then all by name.
    std::vector<FolderEntry> Children(const std::string& directory);
    // Depth-first in listing order, ignoring case.
    std::optional<FolderEntry> FindByName(const std::string& name);
    // Only entries the host has listed or created have ids.
    std::optional<FolderEntry> FindById(long id);

    // The mailbox's file, reloaded when it changed behind the host's back.
    MailboxFile& Mailbox(const std::string& mbxPath);
    // Reads the mailbox from disk again, whatever the host remembers.
    MailboxFile& Reload(const std::string& mbxPath);

    // A new empty mailbox `name` in `directory`. Throws StoreError when the
    // name is no file name or the mailbox exists.
    FolderEntry AddMailbox(const std::string& directory, const std::string& name);
    // Moves message `id` byte for byte; its id in the target mailbox.
    uint32_t Move(const std::string& fromPath, uint32_t id, const std::string& toPath);

private:
    long IdFor(const std::string& path);
    void FinishInterruptedAppends(const std::string& directory);
    std::optional<FolderEntry> FindByNameIn(const std::string& directory, const std::string& name);

    std::string dataDir_;
    std::map<std::string, long> ids_; // by lower-case path
    std::map<long, std::string> pathsById_;
    long nextId_ = 1;
    std::map<std::string, std::unique_ptr<MailboxFile>> mailboxes_; // by lower-case path
};
