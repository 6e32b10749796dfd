#include "engine/jet_backup_path.h"

#include "plugin/file_utils.h"

std::string JetBackupPath(const std::string& archivePath) {
    std::string::size_type slash = archivePath.find_last_of("\\/");
    std::string::size_type dot = archivePath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        dot = archivePath.size();
    }
    const std::string stem = archivePath.substr(0, dot);
    const std::string extension = archivePath.substr(dot);
    std::string candidate = stem + "-jet" + extension;
    for (int n = 2; FileExists(candidate) || IsDirectory(candidate); ++n) {
        candidate = stem + "-jet-" + std::to_string(n) + extension;
    }
    return candidate;
}
