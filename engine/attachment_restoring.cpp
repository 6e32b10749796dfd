#include "engine/attachment_restoring.h"

#include "db/ado_exception.h"
#include "engine/large_file_progress.h"

bool AttachmentRestoring::PutBack(const std::string& table, long long rowid,
                                  const StatusText& status) {
    std::vector<KeptFile> files;
    try {
        // Asked once a run, not once a row: a restore keeps no files.
        if (!keepsFiles_) {
            keepsFiles_ = store_.KeepsFiles();
        }
        if (!*keepsFiles_) {
            return true;
        }
        files = store_.FilesOf(table, rowid);
    } catch (const CADOException& failure) {
        failed_.push_back("(row " + std::to_string(rowid) + "): " + failure.GetErrorMessage());
        return false;
    }
    bool allInPlace = true;
    for (const KeptFile& file : files) {
        const FileProgress progress = LargeFileProgress("Writing back", file.path, status);
        std::string error;
        switch (store_.PutBackFile(file, error, progress)) {
        case AttachmentStore::PutBack::kWritten:
            ++written_;
            break;
        case AttachmentStore::PutBack::kPresent:
            break;
        case AttachmentStore::PutBack::kPresentDifferent:
            different_.push_back(file.path);
            break;
        case AttachmentStore::PutBack::kFailed:
            failed_.push_back(file.path + ": " + error);
            allInPlace = false;
            break;
        }
    }
    return allInPlace;
}

std::string AttachmentRestoring::TakeArchiveLines() {
    std::string lines;
    if (written_ > 0) {
        lines += "\nNumber of Attachments Written Back: " + std::to_string(written_);
    }
    for (const std::string& path : different_) {
        lines += "\nAttachment Left as Found, Unlike the One Kept: " + path;
    }
    for (const std::string& file : failed_) {
        lines += "\nAttachment Not Written Back, Its Message Kept in the Archive: " + file;
    }
    written_ = 0;
    different_.clear();
    failed_.clear();
    return lines;
}
