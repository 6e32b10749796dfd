#include "engine/staging_mailbox.h"

#include "mailbox/host_mailboxes.h"
#include "base/file_utils.h"
#include "base/message_box.h"
#include "base/window_utils.h"

#include <optional>

namespace {

const char kStagingMailbox[] = "Pending";
const char kRefusal[] =
    "\nRestoring passes messages through \"Pending\" and empties it first, so the "
    "restore has stopped. Make \"Pending\" empty, then restore again.";

std::string TocPathOf(const std::string& mbxPath) {
    const size_t dot = mbxPath.find_last_of(".\\");
    const bool hasExtension = dot != std::string::npos && mbxPath[dot] == '.';
    return (hasExtension ? mbxPath.substr(0, dot) : mbxPath) + ".toc";
}

LONGLONG FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

void StagingMailbox::CloseWindow(DWORD pauseMilliseconds) {
    if (CloseHostMailboxWindow(kStagingMailbox) || CloseHostMailboxWindow("")) {
        ::Sleep(pauseMilliseconds);
    }
}

bool StagingMailbox::IsFree() {
    const std::optional<long> held = CountHostMailboxMessages(files_.mbxPath);
    if (held) {
        if (*held == 0) {
            return true;
        }
        ShowStandardErrorBox("The mailbox \"Pending\" holds " + std::to_string(*held) +
                             (*held == 1 ? " message." : " messages.") + kRefusal);
        return false;
    }
    // The host knows no "Pending": its file, if any, is nobody's mailbox yet.
    if (!FileExists(files_.mbxPath) || FileSize(files_.mbxPath) == 0) {
        return true;
    }
    ShowStandardErrorBox("The file " + files_.mbxPath +
                         " is not empty, and the host cannot say what it holds." + kRefusal);
    return false;
}

// Records left in the file would come back as messages when the host reads
// it anew, and go into this archive's mailbox.
bool StagingMailbox::Prepare() {
    if (FileExists(files_.mbxPath)) {
        if (!CreateEmptyFile(files_.mbxPath)) {
            ShowStandardErrorBox("The file " + files_.mbxPath +
                                 " of the mailbox \"Pending\" could not be emptied." + kRefusal);
            return false;
        }
        ::Sleep(50);
    } else {
        const std::string created = CreateHostMailbox(kStagingMailbox);
        // Without a path from the host the old one is still the best guess.
        if (!created.empty() && created != files_.mbxPath) {
            files_.mbxPath = created;
            files_.tocPath = TocPathOf(created);
            // The host may have given a "Pending" it already had elsewhere:
            // that one is checked and emptied like any other.
            return IsFree() && Prepare();
        }
    }
    // Without its table of contents the host reads the records anew.
    if (FileExists(files_.tocPath)) {
        if (!::DeleteFileA(files_.tocPath.c_str())) {
            ShowStandardErrorBox("The file " + files_.tocPath +
                                 " of the mailbox \"Pending\" could not be deleted." + kRefusal);
            return false;
        }
        ::Sleep(50);
    }
    return true;
}

bool StagingMailbox::CutBack() {
    return CreateEmptyFile(files_.mbxPath) &&
           (!FileExists(files_.tocPath) || ::DeleteFileA(files_.tocPath.c_str()));
}
