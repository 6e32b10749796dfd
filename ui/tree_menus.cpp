#include "ui/tree_menus.h"

#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "ui/dialog_trees.h"

namespace {

// Posted by Shift+F10 in a tree.
constexpr UINT kKeyboardMenuMessage = WM_APP + 2;

} // namespace

void CTreeMenus::Load() {
    menu_.reset(::LoadMenuA(App().Instance(), MAKEINTRESOURCEA(IDM_MAIN_MENU)));
    mailboxMenu_ = ::GetSubMenu(menu_.get(), 0);
    archiveMenu_ = ::GetSubMenu(menu_.get(), 1);
}

void CTreeMenus::RequestFromKeyboard(HWND dialog, HWND tree) {
    keyboardPending_ = true;
    ::PostMessageA(dialog, kKeyboardMenuMessage, reinterpret_cast<WPARAM>(tree), 0);
}

bool CTreeMenus::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, bool allowed) {
    if (message == kKeyboardMenuMessage) {
        keyboardPending_ = false;
        if (allowed) {
            Show(dialog, reinterpret_cast<HWND>(wParam), -1);
        }
        return true;
    }
    if (message == WM_CONTEXTMENU) {
        // Shift+F10 is answered once, from the tree's own key notice.
        if ((lParam != -1 || !keyboardPending_) && allowed) {
            Show(dialog, reinterpret_cast<HWND>(wParam), lParam);
        }
        return true;
    }
    return false;
}

void CTreeMenus::Show(HWND dialog, HWND treeWindow, LPARAM position) const {
    const CTreeCtrl* tree = TreeOfWindow(trees_, treeWindow);
    if (!tree) {
        return;
    }
    ::SetFocus(tree->hwnd());
    POINT place = {};
    if (position == -1) {
        // From the keyboard: at the selected item's caption.
        const HTREEITEM selected = tree->Selected();
        RECT rect = {};
        if (!selected || !tree->TextRect(selected, rect)) {
            return;
        }
        place = {rect.left, rect.top};
        ::ClientToScreen(tree->hwnd(), &place);
    } else {
        place = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        UINT flags = 0;
        const HTREEITEM item = tree->HitTest(place, &flags);
        if (item && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON))) {
            tree->Select(item);
        }
    }
    const HMENU menu = tree == &trees_.mailboxTree() ? mailboxMenu_ : archiveMenu_;
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, place.x, place.y, 0, dialog, nullptr);
}
