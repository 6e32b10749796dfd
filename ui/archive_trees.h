// The main dialog's two check-box trees: the host's mailboxes on one side,
// and on the other one archive per mailbox plus the archives whose mailbox
// is gone. Both trees keep the host's folder structure.
#pragma once

#include "db/archive_schema.h"
#include "engine/archive_task.h"
#include "ui/gdi_resources.h"
#include "ui/tree_control.h"
#include "ui/tree_items.h"

#include <deque>
#include <string>
#include <vector>

class CADODatabase;

class CArchiveTrees {
public:
    void Attach(HWND mailboxTree, HWND archiveTree);

    const CTreeCtrl& mailboxTree() const { return mailboxTree_; }
    const CTreeCtrl& archiveTree() const { return archiveTree_; }

    // The mailbox root is named for the data directory, the archive root
    // for the database file, marked when that file cannot be used.
    void BuildRoots(const std::string& dataDir, const std::string& databasePath,
                    bool archiveUsable);
    // Both trees from the host's list, with each archive's row count taken
    // from the file's archive `tables`; both roots are expanded. Without
    // `listArchives` the archive tree keeps its root alone: nothing may be
    // offered from a file that cannot be used.
    void Fill(const std::vector<HostFolderRecord>& records, const ArchiveTableList& archives,
              CADODatabase& database, bool listArchives);
    // Those of `tables` that no mailbox item leads to, at the top level.
    void AddOrphanArchives(const ArchiveTableList& archives, CADODatabase& database);

    // The same rules in both trees.
    void PropagateCheck(const CTreeCtrl& tree, HTREEITEM item, bool checked);
    // Folders show open while expanded.
    void ShowFolderExpanded(const CTreeCtrl& tree, HTREEITEM item, bool expanded);

    // The ticked mailboxes and archives, in tree order (what a folder holds
    // before the folder).
    std::vector<MailboxSelection> TickedMailboxes() const;
    std::vector<std::string> TickedArchives() const;

    void RefreshArchiveCounts(CADODatabase& database);
    // From each mailbox's index file, since the host may not have caught up.
    void RefreshMailboxCounts();

    MailboxItem* Mailbox(HTREEITEM item) const;
    ArchiveItem* Archive(HTREEITEM item) const;
    int KindOf(const CTreeCtrl& tree, HTREEITEM item) const;
    // The archive item whose viewer is `viewer`; null when none is.
    HTREEITEM FindArchiveByViewer(HWND viewer) const;

private:
    // What one build reads from.
    struct FillSource {
        const std::vector<HostFolderRecord>& records;
        const ArchiveTableList& archives;
        CADODatabase& database;
        bool listArchives;
    };
    void BuildLevel(const FillSource& source, std::string directory, HTREEITEM mailboxParent,
                    HTREEITEM archiveParent);

    CTreeCtrl mailboxTree_;
    CTreeCtrl archiveTree_;
    UniqueImageList mailboxImages_;
    UniqueImageList archiveImages_;
    // Deques keep each item where it is, so the trees can point at them.
    std::deque<MailboxItem> mailboxItems_;
    std::deque<ArchiveItem> archiveItems_;
};
