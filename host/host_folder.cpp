#include "host/host_folder.h"

namespace {

enum FolderDispatchId : DISPID {
    kIsMailbox = 1,
    kSkipFlag = 4,
    kFolders = 6,
    kPath = 7,
    kId = 8,
    kMessages = 10,
    kName = 11,
    kDirectory = 12,
    kOpen = 15,
};

enum FolderListDispatchId : DISPID {
    kListItem = 0,
    kListCount = 1,
    kListAdd = 3,
};

// What the host's second argument selects is its own affair; the plug-in
// always passes 1.
const long kHostSelector = 1;

} // namespace

long HostFolder::IsMailbox() const {
    return host_.GetLong(kIsMailbox);
}

long HostFolder::SkipFlag() const {
    return host_.GetLong(kSkipFlag);
}

HostFolderList HostFolder::Folders() const {
    return HostFolderList(host_.GetObject(kFolders));
}

std::string HostFolder::Path() const {
    return host_.GetText(kPath);
}

long HostFolder::Id() const {
    return host_.GetLong(kId);
}

HostMessageList HostFolder::Messages() const {
    return HostMessageList(host_.GetObject(kMessages));
}

std::string HostFolder::Name() const {
    return host_.GetText(kName);
}

std::string HostFolder::Directory() const {
    return host_.GetText(kDirectory);
}

void HostFolder::Open() const {
    host_.Call(kOpen);
}

HostFolder HostFolderList::Item(long index) const {
    const Variant position(index);
    return HostFolder(host_.GetObject(kListItem, {&position}));
}

long HostFolderList::Count() const {
    return host_.GetLong(kListCount);
}

void HostFolderList::Add(const std::string& name) const {
    const Variant text(name);
    const Variant selector(kHostSelector);
    host_.Call(kListAdd, {&text, &selector});
}
