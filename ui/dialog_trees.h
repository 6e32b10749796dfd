// Which of the main dialog's two trees a window is, for the notices and
// requests that name only the window.
#pragma once

#include "ui/archive_trees.h"

inline const CTreeCtrl* TreeOfWindow(const CArchiveTrees& trees, HWND window) {
    if (window && window == trees.mailboxTree().hwnd()) {
        return &trees.mailboxTree();
    }
    if (window && window == trees.archiveTree().hwnd()) {
        return &trees.archiveTree();
    }
    return nullptr;
}
