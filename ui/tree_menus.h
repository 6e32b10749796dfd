// The context menus of the main dialog's two trees, opened at the mouse or,
// from the keyboard, at the selected item's caption. Their commands go to
// the dialog.
#pragma once

#include "base/unique_resource.h"
#include "ui/archive_trees.h"

class CTreeMenus {
public:
    explicit CTreeMenus(const CArchiveTrees& trees) : trees_(trees) {}

    void Load();
    // Shift+F10 in `tree`: the menu opens once the key press has been
    // handled, after any context-menu request the same key makes.
    void RequestFromKeyboard(HWND dialog, HWND tree);
    // True when `message` is a menu request, answered; a menu opens only
    // when `allowed`.
    bool OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, bool allowed);

private:
    void Show(HWND dialog, HWND treeWindow, LPARAM position) const;

    const CArchiveTrees& trees_;
    UniqueMenu menu_;
    HMENU mailboxMenu_ = nullptr;
    HMENU archiveMenu_ = nullptr;
    // From Shift+F10 in a tree until its menu opens.
    bool keyboardPending_ = false;
};
