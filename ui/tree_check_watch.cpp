#include "ui/tree_check_watch.h"

namespace {

constexpr UINT kCheckChangedMessage = WM_APP + 1;

} // namespace

void CTreeCheckWatch::Click(HWND dialog, const CTreeCtrl& tree) const {
    const DWORD position = ::GetMessagePos();
    const POINT point = {static_cast<short>(LOWORD(position)),
                         static_cast<short>(HIWORD(position))};
    UINT flags = 0;
    const HTREEITEM item = tree.HitTest(point, &flags);
    if (item && (flags & TVHT_ONITEMSTATEICON)) {
        // One item looks selected, and it is the one Enter opens.
        tree.SelectClickedItem(item);
        Watch(dialog, tree, item);
    }
}

void CTreeCheckWatch::Watch(HWND dialog, const CTreeCtrl& tree, HTREEITEM item) const {
    if (!item) {
        return;
    }
    const bool archiveTree = tree.hwnd() == trees_.archiveTree().hwnd();
    ::PostMessageA(dialog, kCheckChangedMessage, reinterpret_cast<WPARAM>(item),
                   MAKELPARAM(tree.Checked(item) ? 1 : 0, archiveTree ? 1 : 0));
}

bool CTreeCheckWatch::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kCheckChangedMessage) {
        return false;
    }
    const auto item = reinterpret_cast<HTREEITEM>(wParam);
    const bool wasChecked = LOWORD(lParam) != 0;
    const CTreeCtrl& tree = HIWORD(lParam) != 0 ? trees_.archiveTree() : trees_.mailboxTree();
    const bool checked = tree.Checked(item);
    // A key or click the tree did not act on leaves the rest alone too.
    if (checked != wasChecked) {
        trees_.PropagateCheck(tree, item, checked);
    }
    return true;
}
