// What stands behind each item of the mailbox and archive trees.
#pragma once

#include "base/win32.h"

#include <string>

enum ItemKind { kMailboxItem = 1, kFolderItem = 2, kRootItem = 3 };

// Counts of folders and roots.
constexpr int kNoCount = -1;

struct MailboxItem {
    // For the root: the host's data directory.
    std::string path;
    std::string name;
    long hostId = 0;
    int kind = kMailboxItem;
    int count = kNoCount;
};

struct ArchiveItem {
    // Empty for folders and the root.
    std::string table;
    std::string name;
    int kind = kMailboxItem;
    int count = kNoCount;
    // The file of the mailbox the archive came from.
    std::string path;
    // The viewer showing this archive, while one is open.
    HWND viewer = nullptr;
};

// One mailbox or folder as the host lists it.
struct HostFolderRecord {
    std::string path;
    std::string name;
    long hostId = 0;
    int kind = kMailboxItem;
    int count = kNoCount;
};

// Image numbers of the trees' image lists.
namespace tree_image {
constexpr int kRoot = 0;
constexpr int kOpenFolder = 1;
constexpr int kClosedFolder = 2;
constexpr int kEmptyMailbox = 3;
constexpr int kMailbox = 4;
constexpr int kFullMailbox = 5;
constexpr int kArchive = 3;
constexpr int kArchiveViewed = 4;

// -1, an unknown count, looks like an ordinary mailbox.
inline int ForMailboxCount(int count) {
    return count == 0 ? kEmptyMailbox : count <= 1000 ? kMailbox : kFullMailbox;
}
} // namespace tree_image

inline std::string CountedCaption(const std::string& name, int count) {
    return name + " (" + std::to_string(count) + ")";
}
