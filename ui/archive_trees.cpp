#include "ui/archive_trees.h"

#include "db/archive_schema.h"
#include "db/mailbox_table_name.h"
#include "db/moved_mailboxes.h"
#include "db/sql_text.h"
#include "mailbox/mailbox_index_count.h"
#include "base/file_utils.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "ui/icon_list.h"
#include "ui/tree_checks.h"

#include <algorithm>

namespace {

bool EndsWithIgnoringCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           ::lstrcmpiA(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

// The host's own mailboxes that must not be archived.
bool IsHostWorkMailbox(const std::string& name) {
    return SamePathIgnoringCase(name, "Trash") || SamePathIgnoringCase(name, "Pending") ||
           SamePathIgnoringCase(name, "Duplicates");
}

std::string DirectoryPart(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The table's record count when the file holds it, else 0.
int ArchiveRowCount(CADODatabase& database, const ArchiveTableList& archives,
                    const std::string& table) {
    const std::string* listed = FindArchiveTable(archives, table);
    return listed ? CountArchiveRows(database, *listed) : 0;
}

} // namespace

void CArchiveTrees::Attach(HWND mailboxTree, HWND archiveTree) {
    mailboxTree_ = CTreeCtrl(mailboxTree);
    archiveTree_ = CTreeCtrl(archiveTree);
    mailboxTree_.ShowCheckBoxes();
    archiveTree_.ShowCheckBoxes();
    mailboxImages_ = MakeIconList({IDI_MAILBOX_ROOT, IDI_FOLDER_OPEN, IDI_FOLDER_CLOSED,
                                   IDI_MAILBOX_EMPTY, IDI_MAILBOX_SOME, IDI_MAILBOX_MANY});
    archiveImages_ = MakeIconList({IDI_ARCHIVE_ROOT, IDI_FOLDER_OPEN, IDI_FOLDER_CLOSED,
                                   IDI_ARCHIVE_CLOSED, IDI_ARCHIVE_VIEWING});
    mailboxTree_.SetImageList(mailboxImages_.get());
    archiveTree_.SetImageList(archiveImages_.get());
}

void CArchiveTrees::BuildRoots(const std::string& dataDir, const std::string& databasePath,
                               bool archiveUsable) {
    std::string mailboxCaption = FileNameOf(dataDir, true);
    if (mailboxCaption.empty()) {
        mailboxCaption = "Mailboxes";
    }
    MailboxItem& mailboxRoot =
        mailboxItems_.emplace_back(MailboxItem{dataDir, mailboxCaption, 0, kRootItem, kNoCount});
    mailboxTree_.InsertItem(mailboxCaption, tree_image::kRoot, tree_image::kRoot,
                            reinterpret_cast<LPARAM>(&mailboxRoot));

    std::string archiveCaption = FileNameOf(databasePath, false);
    if (archiveCaption.empty()) {
        archiveCaption = "Archives";
    }
    if (!archiveUsable) {
        archiveCaption += " (not usable)";
    }
    ArchiveItem& archiveRoot = archiveItems_.emplace_back(
        ArchiveItem{"", archiveCaption, kRootItem, kNoCount, "", nullptr});
    archiveTree_.InsertItem(archiveCaption, tree_image::kRoot, tree_image::kRoot,
                            reinterpret_cast<LPARAM>(&archiveRoot));
}

void CArchiveTrees::Fill(const std::vector<HostFolderRecord>& records,
                         const ArchiveTableList& archives, CADODatabase& database,
                         bool listArchives) {
    const HTREEITEM mailboxRoot = mailboxTree_.Root();
    const HTREEITEM archiveRoot = archiveTree_.Root();
    std::vector<CurrentMailbox> mailboxes;
    for (const HostFolderRecord& record : records) {
        if (record.kind == kMailboxItem) {
            mailboxes.push_back(CurrentMailbox{record.name, record.path});
        }
    }
    ArchiveTableList noted = archives;
    NoteMovedMailboxes(noted, mailboxes, Mailbox(mailboxRoot)->path);
    BuildLevel(FillSource{records, noted, database, listArchives}, Mailbox(mailboxRoot)->path,
               mailboxRoot, archiveRoot);
    mailboxTree_.Expand(mailboxRoot);
    archiveTree_.Expand(archiveRoot);
}

void CArchiveTrees::BuildLevel(const FillSource& source, std::string directory,
                               HTREEITEM mailboxParent, HTREEITEM archiveParent) {
    if (directory.empty() || directory.back() != '\\') {
        directory += '\\';
    }
    for (const HostFolderRecord& record : source.records) {
        if (record.path.empty() || record.name.empty() ||
            !SamePathIgnoringCase(DirectoryPart(record.path), directory)) {
            continue;
        }
        if (EndsWithIgnoringCase(record.path, ".mbx") && !IsHostWorkMailbox(record.name)) {
            MailboxItem& mailbox = mailboxItems_.emplace_back(
                MailboxItem{record.path, record.name, record.hostId, kMailboxItem, record.count});
            const int image = tree_image::ForMailboxCount(record.count);
            mailboxTree_.InsertItem(CountedCaption(record.name, record.count), image, image,
                                    reinterpret_cast<LPARAM>(&mailbox), mailboxParent);
            if (!source.listArchives) {
                continue;
            }

            const std::string table = MailboxTableFor(source.archives, record.name, record.path);
            const int rows = ArchiveRowCount(source.database, source.archives, table);
            ArchiveItem& archive = archiveItems_.emplace_back(
                ArchiveItem{table, record.name, kMailboxItem, rows, record.path, nullptr});
            archiveTree_.InsertItem(CountedCaption(record.name, rows), tree_image::kArchive,
                                    tree_image::kArchive, reinterpret_cast<LPARAM>(&archive),
                                    archiveParent);
        } else if (EndsWithIgnoringCase(record.path, ".fol")) {
            MailboxItem& folder = mailboxItems_.emplace_back(
                MailboxItem{record.path, record.name, record.hostId, kFolderItem, kNoCount});
            const HTREEITEM mailboxFolder = mailboxTree_.InsertItem(
                record.name, tree_image::kClosedFolder, tree_image::kClosedFolder,
                reinterpret_cast<LPARAM>(&folder), mailboxParent);
            if (!source.listArchives) {
                BuildLevel(source, record.path, mailboxFolder, nullptr);
                continue;
            }
            ArchiveItem& archiveFolder = archiveItems_.emplace_back(
                ArchiveItem{"", record.name, kFolderItem, kNoCount, "", nullptr});
            const HTREEITEM archiveFolderItem = archiveTree_.InsertItem(
                record.name, tree_image::kClosedFolder, tree_image::kClosedFolder,
                reinterpret_cast<LPARAM>(&archiveFolder), archiveParent);
            BuildLevel(source, record.path, mailboxFolder, archiveFolderItem);
        }
    }
}

void CArchiveTrees::AddOrphanArchives(const ArchiveTableList& archives, CADODatabase& database) {
    for (const std::string& table : archives.tables) {
        bool shown = false;
        ForEachItem(archiveTree_, [&](HTREEITEM item) {
            shown = shown || SameName(Archive(item)->table, table);
        });
        if (shown) {
            continue;
        }
        const int rows = CountArchiveRows(database, table);
        const std::string name = MailboxNameFromTableName(table);
        const auto recorded = archives.mailboxPaths.find(table);
        ArchiveItem& archive = archiveItems_.emplace_back(
            ArchiveItem{table, name, kMailboxItem, rows,
                        recorded == archives.mailboxPaths.end() ? "" : recorded->second, nullptr});
        archiveTree_.InsertItem(CountedCaption(name, rows), tree_image::kArchive,
                                tree_image::kArchive, reinterpret_cast<LPARAM>(&archive));
    }
}

MailboxItem* CArchiveTrees::Mailbox(HTREEITEM item) const {
    return item ? reinterpret_cast<MailboxItem*>(mailboxTree_.ItemData(item)) : nullptr;
}

ArchiveItem* CArchiveTrees::Archive(HTREEITEM item) const {
    return item ? reinterpret_cast<ArchiveItem*>(archiveTree_.ItemData(item)) : nullptr;
}

int CArchiveTrees::KindOf(const CTreeCtrl& tree, HTREEITEM item) const {
    if (tree.hwnd() == mailboxTree_.hwnd()) {
        const MailboxItem* mailbox = Mailbox(item);
        return mailbox ? mailbox->kind : 0;
    }
    const ArchiveItem* archive = Archive(item);
    return archive ? archive->kind : 0;
}

void CArchiveTrees::PropagateCheck(const CTreeCtrl& tree, HTREEITEM item, bool checked) {
    ::PropagateCheck(tree, item, checked, [&](HTREEITEM of) { return KindOf(tree, of); });
}

void CArchiveTrees::ShowFolderExpanded(const CTreeCtrl& tree, HTREEITEM item, bool expanded) {
    if (KindOf(tree, item) == kFolderItem) {
        const int image = expanded ? tree_image::kOpenFolder : tree_image::kClosedFolder;
        tree.SetItemImage(item, image, image);
    }
}

std::vector<MailboxSelection> CArchiveTrees::TickedMailboxes() const {
    std::vector<MailboxSelection> ticked;
    ForEachItemChildrenFirst(mailboxTree_, [&](HTREEITEM item) {
        const MailboxItem* mailbox = Mailbox(item);
        if (mailbox && mailbox->kind == kMailboxItem && mailboxTree_.Checked(item)) {
            ticked.push_back(MailboxSelection{mailbox->path, mailbox->name, mailbox->hostId});
        }
    });
    return ticked;
}

std::vector<std::string> CArchiveTrees::TickedArchives() const {
    std::vector<std::string> ticked;
    ForEachItemChildrenFirst(archiveTree_, [&](HTREEITEM item) {
        const ArchiveItem* archive = Archive(item);
        // Two items may show one table (two mailboxes of one name in an
        // older archive); restored twice, its messages would come back twice.
        if (archive && archive->kind == kMailboxItem && archiveTree_.Checked(item) &&
            std::none_of(ticked.begin(), ticked.end(),
                         [&](const std::string& t) { return SameName(t, archive->table); })) {
            ticked.push_back(archive->table);
        }
    });
    return ticked;
}

void CArchiveTrees::RefreshArchiveCounts(CADODatabase& database) {
    ArchiveTableList archives = ListArchiveTables(database);
    std::vector<CurrentMailbox> mailboxes;
    ForEachItem(mailboxTree_, [&](HTREEITEM item) {
        const MailboxItem* mailbox = Mailbox(item);
        if (mailbox && mailbox->kind == kMailboxItem) {
            mailboxes.push_back(CurrentMailbox{mailbox->name, mailbox->path});
        }
    });
    const MailboxItem* root = Mailbox(mailboxTree_.Root());
    NoteMovedMailboxes(archives, mailboxes, root ? root->path : std::string());
    ForEachItem(archiveTree_, [&](HTREEITEM item) {
        ArchiveItem* archive = Archive(item);
        if (archive && archive->kind == kMailboxItem) {
            // Another mailbox of the same name may have taken the table
            // this one was shown with; the task archived it into its own.
            // (An orphan's table records its own path and stays.)
            const std::string* listed = FindArchiveTable(archives, archive->table);
            const auto recorded =
                listed ? archives.mailboxPaths.find(*listed) : archives.mailboxPaths.end();
            const auto moved = listed ? archives.movedTo.find(*listed) : archives.movedTo.end();
            const bool movedHere = moved != archives.movedTo.end() &&
                                   SamePathIgnoringCase(moved->second, archive->path);
            if (!archive->path.empty() && recorded != archives.mailboxPaths.end() &&
                !SamePathIgnoringCase(recorded->second, archive->path) && !movedHere) {
                archive->table = MailboxTableFor(archives, archive->name, archive->path);
            }
            archive->count = ArchiveRowCount(database, archives, archive->table);
            archiveTree_.SetItemText(item, CountedCaption(archive->name, archive->count));
        }
    });
}

void CArchiveTrees::RefreshMailboxCounts() {
    ForEachItem(mailboxTree_, [&](HTREEITEM item) {
        MailboxItem* mailbox = Mailbox(item);
        if (mailbox && mailbox->kind == kMailboxItem) {
            mailbox->count = MailboxIndexCount(mailbox->path);
            const int image = tree_image::ForMailboxCount(mailbox->count);
            mailboxTree_.SetItemImage(item, image, image);
            mailboxTree_.SetItemText(item, CountedCaption(mailbox->name, mailbox->count));
        }
    });
}

HTREEITEM CArchiveTrees::FindArchiveByViewer(HWND viewer) const {
    HTREEITEM found = nullptr;
    ForEachItem(archiveTree_, [&](HTREEITEM item) {
        const ArchiveItem* archive = Archive(item);
        if (!found && viewer && archive && archive->viewer == viewer) {
            found = item;
        }
    });
    return found;
}
