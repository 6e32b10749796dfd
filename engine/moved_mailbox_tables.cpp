#include "engine/moved_mailbox_tables.h"

#include "db/moved_mailboxes.h"
#include "host/host_application.h"
#include "plugin/file_utils.h"

#include <algorithm>

namespace {

void Walk(const HostFolderList& folders, std::vector<CurrentMailbox>& mailboxes) {
    const long count = folders.Count();
    for (long i = 1; i <= count; ++i) {
        const HostFolder item = folders.Item(i);
        if (item.IsMailbox() == 1) {
            mailboxes.push_back(CurrentMailbox{item.Name(), item.Path()});
        } else {
            Walk(item.Folders(), mailboxes);
        }
    }
}

} // namespace

void NoteMovedMailboxesOfHost(ArchiveTableList& archives, const HostApplication& host) {
    const bool anyGone = std::any_of(
        archives.mailboxPaths.begin(), archives.mailboxPaths.end(), [](const auto& recorded) {
            return !recorded.second.empty() && !FileExists(recorded.second);
        });
    if (!anyGone) {
        return;
    }
    std::vector<CurrentMailbox> mailboxes;
    Walk(host.Folders(), mailboxes);
    std::string dataDir = host.InBox().Directory();
    while (!dataDir.empty() && dataDir.back() == '\\') {
        dataDir.pop_back();
    }
    NoteMovedMailboxes(archives, mailboxes, dataDir);
}
