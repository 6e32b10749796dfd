#include "ui/host_mailbox_opening.h"

#include "base/message_box.h"
#include "host/host_application.h"
#include "host/host_error.h"
#include "mailbox/host_mailboxes.h"

bool OpenSelectedMailbox(CArchiveTrees& trees) {
    const CTreeCtrl& tree = trees.mailboxTree();
    const HTREEITEM item = tree.Selected();
    const MailboxItem* mailbox = trees.Mailbox(item);
    if (!mailbox) {
        return false;
    }
    if (mailbox->kind != kMailboxItem) {
        trees.ShowFolderExpanded(tree, item, true);
        tree.Expand(item);
        return false;
    }
    try {
        const HostApplication host = HostApplication::Connect();
        long id = -1;
        FindHostMailboxByPath(host.Folders(), mailbox->path, id);
        if (id != -1) {
            host.FolderById(id).Open();
            return true;
        }
    } catch (const HostConnectError& failure) {
        ShowHostConnectFailure(failure);
    } catch (const HostError& failure) {
        ShowStandardErrorBox(failure.what());
    }
    return false;
}
