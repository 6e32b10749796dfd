#include "testhost/mail_store.h"

#include "base/unique_resource.h"
#include "base/win32.h"
#include "testhost/lower_case.h"
#include "testhost/mailstore/append_journal.h"

#include <algorithm>

namespace {

const char* const kStandardMailboxes[] = {"In", "Out", "Trash"};

bool EndsWithIgnoringCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && LowerCase(text.substr(text.size() - end.size())) == end;
}

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int StandardRank(const FolderEntry& entry) {
    for (int i = 0; i < 3; ++i) {
        if (entry.isMailbox && LowerCase(entry.name) == LowerCase(kStandardMailboxes[i])) {
            return i;
        }
    }
    return 3;
}

bool IsValidMailboxName(const std::string& name) {
    if (name.empty() || name.size() > 200 || name == "." || name == ".." || name.back() == '.' ||
        name.back() == ' ') {
        return false;
    }
    return name.find_first_of("\\/:*?\"<>|") == std::string::npos &&
           std::none_of(name.begin(), name.end(), [](unsigned char c) { return c < 0x20; });
}

} // namespace

MailStore::MailStore(std::string dataDir) : dataDir_(std::move(dataDir)) {
    while (dataDir_.size() > 3 && dataDir_.back() == '\\') {
        dataDir_.pop_back();
    }
    if (!IsDirectory(dataDir_)) {
        throw StoreError("The mail folder " + dataDir_ + " does not exist.");
    }
    for (const char* name : kStandardMailboxes) {
        const std::string path = dataDir_ + "\\" + name + ".mbx";
        if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            MailboxFile::CreateEmpty(path);
        }
    }
    FinishInterruptedAppends(dataDir_);
}

// Before anyone else may rewrite a mailbox file, the appends a crash cut
// short are undone; only a mailbox with a journal beside it has one.
void MailStore::FinishInterruptedAppends(const std::string& directory) {
    for (const FolderEntry& entry : Children(directory)) {
        if (entry.isMailbox) {
            if (::GetFileAttributesA(JournalPathFor(entry.path).c_str()) !=
                INVALID_FILE_ATTRIBUTES) {
                MailboxFile(entry.path).Load();
            }
        } else {
            FinishInterruptedAppends(entry.path);
        }
    }
}

long MailStore::IdFor(const std::string& path) {
    const std::string key = LowerCase(path);
    auto found = ids_.find(key);
    if (found != ids_.end()) {
        pathsById_[found->second] = path;
        return found->second;
    }
    const long id = nextId_++;
    ids_.emplace(key, id);
    pathsById_[id] = path;
    return id;
}

std::vector<FolderEntry> MailStore::Children(const std::string& directory) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found;
    UniqueFind search(::FindFirstFileA((directory + "\\*").c_str(), &found));
    if (!search) {
        return entries;
    }
    do {
        const std::string fileName = found.cFileName;
        const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        FolderEntry entry;
        if (!isDirectory && EndsWithIgnoringCase(fileName, ".mbx")) {
            entry.isMailbox = true;
        } else if (isDirectory && EndsWithIgnoringCase(fileName, ".fol")) {
            entry.isMailbox = false;
        } else {
            continue;
        }
        entry.name = fileName.substr(0, fileName.size() - 4);
        if (entry.name.empty()) {
            continue;
        }
        entry.path = directory + "\\" + fileName;
        entries.push_back(std::move(entry));
    } while (::FindNextFileA(search.get(), &found));

    const bool topLevel = LowerCase(directory) == LowerCase(dataDir_);
    std::sort(entries.begin(), entries.end(),
              [topLevel](const FolderEntry& a, const FolderEntry& b) {
                  const int rankA = topLevel ? StandardRank(a) : 3;
                  const int rankB = topLevel ? StandardRank(b) : 3;
                  if (rankA != rankB) {
                      return rankA < rankB;
                  }
                  const std::string nameA = LowerCase(a.name);
                  const std::string nameB = LowerCase(b.name);
                  if (nameA != nameB) {
                      return nameA < nameB;
                  }
                  return a.isMailbox && !b.isMailbox;
              });
    for (FolderEntry& entry : entries) {
        entry.id = IdFor(entry.path);
    }
    return entries;
}

std::optional<FolderEntry> MailStore::FindByNameIn(const std::string& directory,
                                                   const std::string& name) {
    for (const FolderEntry& entry : Children(directory)) {
        if (LowerCase(entry.name) == name) {
            return entry;
        }
        if (!entry.isMailbox) {
            if (auto inside = FindByNameIn(entry.path, name)) {
                return inside;
            }
        }
    }
    return std::nullopt;
}

std::optional<FolderEntry> MailStore::FindByName(const std::string& name) {
    return FindByNameIn(dataDir_, LowerCase(name));
}

std::optional<FolderEntry> MailStore::FindById(long id) {
    auto found = pathsById_.find(id);
    if (found == pathsById_.end()) {
        return std::nullopt;
    }
    const std::string path = found->second;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    FolderEntry entry;
    entry.path = path;
    entry.isMailbox = (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    const size_t slash = path.find_last_of('\\');
    const std::string fileName = path.substr(slash + 1);
    entry.name = fileName.substr(0, fileName.size() - 4);
    entry.id = id;
    return entry;
}

MailboxFile& MailStore::Mailbox(const std::string& mbxPath) {
    auto& slot = mailboxes_[LowerCase(mbxPath)];
    if (!slot) {
        auto mailbox = std::make_unique<MailboxFile>(mbxPath);
        mailbox->Load();
        slot = std::move(mailbox);
    } else if (slot->ChangedOnDisk()) {
        slot->Load();
    }
    return *slot;
}

MailboxFile& MailStore::Reload(const std::string& mbxPath) {
    MailboxFile& mailbox = Mailbox(mbxPath);
    mailbox.Load();
    return mailbox;
}

FolderEntry MailStore::AddMailbox(const std::string& directory, const std::string& name) {
    if (!IsValidMailboxName(name)) {
        throw StoreError("\"" + name + "\" cannot be the name of a mailbox.");
    }
    const std::string path = directory + "\\" + name + ".mbx";
    MailboxFile::CreateEmpty(path);
    FolderEntry entry;
    entry.path = path;
    entry.name = name;
    entry.isMailbox = true;
    entry.id = IdFor(path);
    return entry;
}

uint32_t MailStore::Move(const std::string& fromPath, uint32_t id, const std::string& toPath) {
    MailboxFile& source = Mailbox(fromPath);
    const std::optional<size_t> index = source.IndexOfId(id);
    if (!index) {
        throw StoreError("The message is no longer in " + fromPath + ".");
    }
    if (LowerCase(fromPath) == LowerCase(toPath)) {
        return id;
    }
    MailboxFile& target = Mailbox(toPath);
    // Appended before it is removed: a failure in between leaves the
    // message in both mailboxes, never in neither.
    const uint32_t newId = target.Append(source.RawText(*index), source.Entry(*index).status);
    source.Remove(*index);
    return newId;
}
