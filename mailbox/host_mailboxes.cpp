#include "mailbox/host_mailboxes.h"

#include "host/host_application.h"
#include "host/host_error.h"
#include "base/file_utils.h"
#include "base/message_box.h"

namespace {} // namespace

bool ForEachHostMailbox(const HostFolderList& folders,
                        const std::function<bool(const HostFolder&)>& visit) {
    const long count = folders.Count();
    for (long i = 1; i <= count; ++i) {
        const HostFolder item = folders.Item(i);
        if (item.IsMailbox() == 1 ? visit(item) : ForEachHostMailbox(item.Folders(), visit)) {
            return true;
        }
    }
    return false;
}

bool SetHostStatus(const std::string& text) {
    try {
        HostApplication::Connect().SetStatusText(text);
        return true;
    } catch (const HostError&) {
        return false;
    }
}

std::string CreateHostMailbox(const std::string& name) {
    const std::string trimmed = TrimWhiteSpace(name);
    if (trimmed.empty()) {
        return std::string();
    }
    try {
        const HostApplication host = HostApplication::Connect();
        const HostFolderList topLevel = host.Folders();
        topLevel.Add(trimmed);
        // By name the host may find a mailbox of that name inside a folder
        // first; the new one is in the list it was added to.
        const long count = topLevel.Count();
        for (long i = 1; i <= count; ++i) {
            const HostFolder item = topLevel.Item(i);
            if (item.IsMailbox() == 1 && ::lstrcmpiA(item.Name().c_str(), trimmed.c_str()) == 0) {
                return item.Path();
            }
        }
        return host.FolderByName(trimmed).Path();
    } catch (const HostError& failure) {
        ShowStandardErrorBox(failure.what());
        return std::string();
    }
}

bool OpenHostMailbox(const std::string& name) {
    try {
        HostApplication::Connect().FolderByName(name).Open();
        return true;
    } catch (const HostError& failure) {
        ShowStandardErrorBox(failure.what());
        return false;
    }
}

bool OpenHostMailboxFile(const std::string& mbxPath) {
    try {
        const HostApplication host = HostApplication::Connect();
        const std::optional<HostFolder> mailbox = FindHostMailboxFile(host, mbxPath);
        if (!mailbox) {
            return false;
        }
        mailbox->Open();
        return true;
    } catch (const HostError& failure) {
        ShowStandardErrorBox(failure.what());
        return false;
    }
}

std::optional<HostFolder> FindHostMailboxFile(const HostApplication& host,
                                              const std::string& mbxPath) {
    long id = -1;
    FindHostMailboxByPath(host.Folders(), mbxPath, id);
    if (id == -1) {
        return std::nullopt;
    }
    return host.FolderById(id);
}

std::optional<long> CountHostMailboxMessages(const std::string& mbxPath) {
    try {
        const HostApplication host = HostApplication::Connect();
        const std::optional<HostFolder> mailbox = FindHostMailboxFile(host, mbxPath);
        if (!mailbox) {
            return std::nullopt;
        }
        return mailbox->Messages().Count();
    } catch (const HostError&) {
        return std::nullopt;
    }
}

void FindHostMailboxByPath(const HostFolderList& folders, const std::string& path, long& id) {
    ForEachHostMailbox(folders, [&](const HostFolder& mailbox) {
        if (!SamePathIgnoringCase(mailbox.Path(), path)) {
            return false;
        }
        id = mailbox.Id();
        return true;
    });
}
