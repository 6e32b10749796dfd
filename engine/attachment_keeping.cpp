#include "engine/attachment_keeping.h"

#include "db/ado_exception.h"
#include "engine/large_file_progress.h"
#include "base/settings_keys.h"

AttachmentKeeping::AttachmentKeeping(CADODatabase& database, const std::string& dataDir,
                                     const std::string& settingsPath)
    : store_(database) {
    enabled_ = settingsPath.empty() || ReadSetting(settings::kKeepAttachments, settingsPath) != 0;
    const std::string extra = settingsPath.empty()
                                  ? std::string()
                                  : ReadSetting(settings::kAttachmentFolders, settingsPath);
    folders_ = HostAttachmentFolders(dataDir, extra);
}

NamedFiles AttachmentKeeping::Named(const std::string& message, int status) {
    if (!enabled_) {
        return NamedFiles();
    }
    NamedFiles files = FilesNamedBy(message, status, folders_);
    refused_ += files.refused;
    return files;
}

bool AttachmentKeeping::Keep(const std::string& table, long long rowid, const NamedFiles& files,
                             const StatusText& status) {
    bool allKept = true;
    for (const std::string& path : files.paths) {
        std::string reason;
        const FileProgress progress = LargeFileProgress("Keeping", path, status);
        switch (store_.KeepFile(table, rowid, path, reason, progress)) {
        case AttachmentStore::Keep::kKept:
            ++uncommittedKept_;
            break;
        case AttachmentStore::Keep::kMissing:
            ++uncommittedNotFound_;
            break;
        case AttachmentStore::Keep::kNotKept:
            allKept = false;
            notKept_.push_back(path + ": " + reason);
            break;
        }
    }
    return allKept;
}

void AttachmentKeeping::Committed() {
    kept_ += uncommittedKept_;
    notFound_ += uncommittedNotFound_;
    uncommittedKept_ = 0;
    uncommittedNotFound_ = 0;
}

void AttachmentKeeping::CommitFailed() {
    uncommittedKept_ = 0;
    uncommittedNotFound_ = 0;
}

std::string AttachmentKeeping::TakeMailboxLines() {
    std::string lines;
    const auto count = [&lines](const char* label, int value) {
        if (value > 0) {
            lines += std::string("\n") + label + std::to_string(value);
        }
    };
    count("Number of Attachments Kept: ", kept_);
    count("Number of Attachments Not Found: ", notFound_);
    count("Number of Attachment Names Refused: ", refused_);
    count("Number of Attachments Not Kept, Their Messages Left in the Mailbox: ",
          static_cast<int>(notKept_.size()));
    for (const std::string& file : notKept_) {
        lines += "\nAttachment Not Kept: " + file;
    }
    kept_ = notFound_ = refused_ = 0;
    notKept_.clear();
    return lines;
}

void AttachmentKeeping::RemoveOrphans() {
    if (!enabled_) {
        return;
    }
    try {
        store_.RemoveOrphans();
    } catch (const CADOException&) {
        // Tidying only: the next run tries again.
    }
}
