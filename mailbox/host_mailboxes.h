// The few things the restore asks of the host's mailboxes. Each call makes
// its own connection to the host and lets it go before returning.
#pragma once

#include "host/host_folder.h"

class HostApplication;

#include <functional>
#include <optional>
#include <string>

// The host's status line; false, and nothing shown, when the host cannot be
// reached.
bool SetHostStatus(const std::string& text);

// A new top-level mailbox; gives the path of its file as the host reports
// it, or "" for a blank name or after a shown host error. The path is the
// new top-level mailbox's, also when a folder holds one of the same name.
std::string CreateHostMailbox(const std::string& name);

// Has the host load the mailbox from its file and show it. False after a
// shown host error.
bool OpenHostMailbox(const std::string& name);

// The same for the mailbox whose file is `mbxPath`, found by that file and
// never by its name, which a mailbox of the user's may share. False, with
// nothing shown, when no mailbox has that file.
bool OpenHostMailboxFile(const std::string& mbxPath);

// The mailbox whose file is `mbxPath`; nullopt when there is none. Host
// errors are thrown.
std::optional<HostFolder> FindHostMailboxFile(const HostApplication& host,
                                              const std::string& mbxPath);

// The messages the host holds in the mailbox whose file is `mbxPath`;
// nullopt, with nothing shown, when no mailbox of the host has that file or
// the host cannot be asked.
std::optional<long> CountHostMailboxMessages(const std::string& mbxPath);

// Depth first through `folders` and the folders inside them, each mailbox
// handed to `visit` until it gives true; true when one did. Host errors are
// thrown.
bool ForEachHostMailbox(const HostFolderList& folders,
                        const std::function<bool(const HostFolder&)>& visit);

// Depth first through `folders` and the folders inside them: the first
// mailbox whose file is `path` (any case) puts its host id into `id`, which
// is left alone when there is none. Host errors are thrown.
void FindHostMailboxByPath(const HostFolderList& folders, const std::string& path, long& id);
