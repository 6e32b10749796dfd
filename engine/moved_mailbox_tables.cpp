#include "engine/moved_mailbox_tables.h"

#include "db/moved_mailboxes.h"
#include "host/host_application.h"
#include "mailbox/host_mailboxes.h"
#include "base/file_utils.h"

#include <algorithm>

void NoteMovedMailboxesOfHost(ArchiveTableList& archives, const HostApplication& host) {
    const bool anyGone = std::any_of(
        archives.mailboxPaths.begin(), archives.mailboxPaths.end(), [](const auto& recorded) {
            return !recorded.second.empty() && !FileExists(recorded.second);
        });
    if (!anyGone) {
        return;
    }
    std::vector<CurrentMailbox> mailboxes;
    ForEachHostMailbox(host.Folders(), [&](const HostFolder& mailbox) {
        mailboxes.push_back(CurrentMailbox{mailbox.Name(), mailbox.Path()});
        return false;
    });
    NoteMovedMailboxes(archives, mailboxes, WithoutTrailingBackslashes(host.InBox().Directory()));
}
