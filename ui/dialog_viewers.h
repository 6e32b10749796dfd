// The archive viewers the main dialog opened from its archive tree, each kept
// until its window closes and its archive marked as viewed meanwhile. While
// one is open the dialog holds its tasks back.
#pragma once

#include "ui/archive_trees.h"
#include "ui/archive_viewer.h"

#include <memory>
#include <string>
#include <vector>

class CADODatabase;

class CDialogViewers {
public:
    explicit CDialogViewers(CArchiveTrees& trees) : trees_(trees) {}

    const std::vector<HWND>& windows() const { return windows_; }
    bool empty() const { return windows_.empty(); }
    // The viewer whose window is `window`, while it is kept.
    const CArchiveViewer* Find(HWND window) const;
    // The archive item of `table` (names compared as the file compares
    // them); null when the tree has none.
    HTREEITEM ItemOfTable(const std::string& table) const;
    // The viewer open on the archive of `item`, or null.
    CArchiveViewer* ViewerOf(HTREEITEM item);

    // The selected archive item when a viewer is to open for it, else null:
    // a folder is expanded instead, and so is an archive whose viewer is
    // already open, brought forward.
    HTREEITEM ItemToOpen();
    // The viewer of `item`, owned by `owner`; true once its window shows.
    bool Open(HTREEITEM item, HWND owner, const std::string& connectionString,
              CADODatabase* database);
    // The viewer whose window told it closed.
    void Closed(HWND viewer);

private:
    CArchiveTrees& trees_;
    std::vector<HWND> windows_;
    std::vector<std::unique_ptr<CArchiveViewer>> viewers_;
};
