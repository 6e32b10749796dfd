#include "testhost/empty_trash.h"

#include "testhost/mailstore/attachment_files.h"

#include <vector>

std::string EmptiedTrash::Summary() const {
    if (!problem.empty()) {
        return problem;
    }
    return "Emptied Trash: " + std::to_string(messages) + " message(s), " +
           std::to_string(filesDeleted) + " file(s) deleted.";
}

EmptiedTrash EmptyTrash(HostSession& session) {
    MailStore& store = session.store();
    const std::string trashPath = store.dataDir() + "\\Trash.mbx";
    const std::string attachFolder = HostAttachFolder(store.dataDir());
    const std::string embeddedFolder = HostEmbeddedFolder(store.dataDir());
    EmptiedTrash emptied;
    std::vector<std::string> files;
    try {
        // From the end: each message is then cut off the file in place.
        MailboxFile& trash = store.Mailbox(trashPath);
        while (trash.Count() > 0) {
            const size_t last = trash.Count() - 1;
            const std::vector<std::string> named =
                KeptFilesNamedBy(trash.RawText(last), attachFolder, embeddedFolder);
            trash.Remove(last);
            ++emptied.messages;
            files.insert(files.end(), named.begin(), named.end());
        }
    } catch (const StoreError& failure) {
        emptied.problem = failure.what();
    }
    // Whether a message outside Trash names the same file is not asked, as
    // the real host does not ask: such a message loses its file too.
    for (const std::string& file : files) {
        if (::DeleteFileA(file.c_str())) {
            ++emptied.filesDeleted;
        }
    }
    session.MailboxChanged(trashPath);
    return emptied;
}
