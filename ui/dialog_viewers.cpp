#include "ui/dialog_viewers.h"

#include "db/archive_schema.h"
#include "db/sql_text.h"
#include "ui/tree_checks.h"
#include "ui/window_ops.h"

#include <algorithm>

const CArchiveViewer* CDialogViewers::Find(HWND window) const {
    for (const auto& viewer : viewers_) {
        if (viewer->hwnd() == window) {
            return viewer.get();
        }
    }
    return nullptr;
}

HTREEITEM CDialogViewers::ItemOfTable(const std::string& table) const {
    HTREEITEM found = nullptr;
    ForEachItem(trees_.archiveTree(), [&](HTREEITEM item) {
        const ArchiveItem* archive = trees_.Archive(item);
        if (!found && archive && archive->kind == kMailboxItem && SameName(archive->table, table)) {
            found = item;
        }
    });
    return found;
}

CArchiveViewer* CDialogViewers::ViewerOf(HTREEITEM item) {
    const ArchiveItem* archive = trees_.Archive(item);
    if (!archive || !archive->viewer) {
        return nullptr;
    }
    for (const auto& viewer : viewers_) {
        if (viewer->hwnd() == archive->viewer) {
            return viewer.get();
        }
    }
    return nullptr;
}

HTREEITEM CDialogViewers::ItemToOpen() {
    const CTreeCtrl& tree = trees_.archiveTree();
    const HTREEITEM item = tree.Selected();
    const ArchiveItem* archive = trees_.Archive(item);
    if (!archive) {
        return nullptr;
    }
    const bool hadViewer = archive->viewer != nullptr;
    if (hadViewer) {
        BringForward(archive->viewer);
    }
    if (archive->kind != kMailboxItem || hadViewer) {
        trees_.ShowFolderExpanded(tree, item, true);
        tree.Expand(item);
        return nullptr;
    }
    return item;
}

bool CDialogViewers::Open(HTREEITEM item, HWND owner, const std::string& connectionString,
                          CADODatabase* database) {
    ArchiveItem* archive = trees_.Archive(item);
    if (!TableExists(connectionString, archive->table) &&
        CreateMailboxTable(connectionString, archive->table, archive->path) && database &&
        RefreshJetCache(database->GetActiveConnection())) {
        ::Sleep(1000);
    }
    auto viewer =
        std::make_unique<CArchiveViewer>(owner, archive->table, archive->name, connectionString);
    if (!viewer->Create() || !viewer->hwnd()) {
        return false;
    }
    const HWND window = viewer->hwnd();
    ::ShowWindow(window, SW_SHOW);
    BringForward(window, false);
    windows_.push_back(window);
    viewers_.push_back(std::move(viewer));
    archive->viewer = window;
    trees_.archiveTree().SetItemImage(item, tree_image::kArchiveViewed, tree_image::kArchiveViewed);
    return true;
}

void CDialogViewers::Closed(HWND viewer) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), viewer), windows_.end());
    // The viewers whose windows are gone are let go.
    viewers_.erase(
        std::remove_if(viewers_.begin(), viewers_.end(),
                       [](const std::unique_ptr<CArchiveViewer>& open) { return !open->hwnd(); }),
        viewers_.end());
    if (const HTREEITEM item = trees_.FindArchiveByViewer(viewer)) {
        trees_.Archive(item)->viewer = nullptr;
        trees_.archiveTree().SetItemImage(item, tree_image::kArchive, tree_image::kArchive);
    }
}
