// How a tick in one of the main dialog's trees reaches the rest of the tree.
// The tree flips the item's mark after telling of the click or Space, and
// Wine's tree sends no item-changed notice: so the dialog posts itself a
// message, and by the time it arrives the mark has flipped, or stayed.
#pragma once

#include "ui/archive_trees.h"

class CTreeCheckWatch {
public:
    explicit CTreeCheckWatch(CArchiveTrees& trees) : trees_(trees) {}

    // A click in `tree`: on a check box it selects the item and watches it.
    void Click(HWND dialog, const CTreeCtrl& tree) const;
    // The rest of the tree follows `item` once the tree has flipped its mark,
    // and only if it has.
    void Watch(HWND dialog, const CTreeCtrl& tree, HTREEITEM item) const;
    // True when `message` is the one Watch posted, handled.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    CArchiveTrees& trees_;
};
