#include "engine/attachment_restoring.h"

#include "db/ado_exception.h"
#include "base/file_utils.h"

namespace {

// Files smaller than this go by without a word in the status line.
constexpr long long kLargeFile = 8 << 20;

} // namespace

bool AttachmentRestoring::PutBack(const std::string& table, long long rowid,
                                  const std::function<void(const std::string&)>& status) {
    std::vector<KeptFile> files;
    try {
        files = store_.FilesOf(table, rowid);
    } catch (const CADOException& failure) {
        failed_.push_back("(row " + std::to_string(rowid) + "): " + failure.GetErrorMessage());
        return false;
    }
    bool allInPlace = true;
    for (const KeptFile& file : files) {
        int lastShown = -1;
        const auto progress = [&](long long done, long long total) {
            const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
            if (total >= kLargeFile && percent / 5 != lastShown / 5 && status) {
                lastShown = percent;
                status("Writing back " + FileNameOf(file.path, true) + ": " +
                       std::to_string(percent) + "%");
            }
        };
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
