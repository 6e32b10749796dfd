#include "ui/archive_refusals.h"

namespace {

constexpr const char* kNothingCanBeDone = " Nothing can be archived into it or restored from it.";

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

} // namespace

std::string JetNotConvertedText(const std::string& archivePath) {
    return "The archive " + archivePath +
           " is still in the Jet format of earlier versions and has not been converted." +
           kNothingCanBeDone + " Close this window and open it again to convert the archive.";
}

std::string JetBackupNotConvertedText(const std::string& archivePath,
                                      const std::string& backupPath) {
    return "The archive " + archivePath + " is missing, and its mail is in " + backupPath +
           ", the Jet archive it was converted from, which has not been converted again." +
           kNothingCanBeDone +
           " Close this window and open it again to convert it; to start "
           "a new, empty archive instead, move " +
           backupPath + " elsewhere first.";
}

std::string NotAnArchiveText(const std::string& path) {
    return "The file " + path +
           " is a Microsoft Access database but not an archive: none of its tables is named "
           "\"Mailbox_...\". It is left as it is." +
           kNothingCanBeDone +
           " If the archive is kept elsewhere, name it in the settings' Location; otherwise "
           "move this file away.";
}

std::string CannotOpenArchiveText(const std::string& path, const std::string& description) {
    std::string reason;
    if (Contains(description, "Unrecognized database format") ||
        Contains(description, "not a database") || Contains(description, "malformed")) {
        reason = "it is not an archive file, or it is damaged.";
    } else if (Contains(description, "locked") || Contains(description, "busy")) {
        reason = "another program is using it and keeps it locked.";
    } else {
        reason = description;
    }
    return "The archive " + path + " cannot be used: " + reason + kNothingCanBeDone +
           " It is left as it is. Close this window and open it again once this is put right.";
}
