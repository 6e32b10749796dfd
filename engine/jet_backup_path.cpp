#include "engine/jet_backup_path.h"

#include "base/file_utils.h"

namespace {

// The n-th backup name: "-jet" for 1, "-jet-n" after.
std::string BackupName(const std::string& archivePath, int n) {
    std::string::size_type slash = archivePath.find_last_of("\\/");
    std::string::size_type dot = archivePath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        dot = archivePath.size();
    }
    return archivePath.substr(0, dot) + (n == 1 ? "-jet" : "-jet-" + std::to_string(n)) +
           archivePath.substr(dot);
}

bool Taken(const std::string& path) {
    return FileExists(path) || IsDirectory(path);
}

} // namespace

std::string JetBackupPath(const std::string& archivePath) {
    int n = 1;
    while (Taken(BackupName(archivePath, n))) {
        ++n;
    }
    return BackupName(archivePath, n);
}

std::string LatestJetBackup(const std::string& archivePath) {
    std::string latest;
    for (int n = 1; Taken(BackupName(archivePath, n)); ++n) {
        if (FileExists(BackupName(archivePath, n))) {
            latest = BackupName(archivePath, n);
        }
    }
    return latest;
}
