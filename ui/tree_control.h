// A tree view control, one platform request per call.
#pragma once

#include "base/win32.h"

#include <commctrl.h>

#include <string>

class CTreeCtrl {
public:
    CTreeCtrl() = default;
    explicit CTreeCtrl(HWND window) : hwnd_(window) {}
    HWND hwnd() const { return hwnd_; }

    // The tree makes its check-box images when this style arrives after its
    // creation, not when a template gives it.
    void ShowCheckBoxes() const {
        const LONG_PTR style = ::GetWindowLongPtrA(hwnd_, GWL_STYLE);
        ::SetWindowLongPtrA(hwnd_, GWL_STYLE, style | TVS_CHECKBOXES);
    }

    // Sorted among its siblings by caption unless `after` says otherwise.
    HTREEITEM InsertItem(const std::string& text, int image, int selectedImage, LPARAM data,
                         HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_SORT) const {
        TVINSERTSTRUCTA insert = {};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(text.c_str());
        insert.item.iImage = image;
        insert.item.iSelectedImage = selectedImage;
        insert.item.lParam = data;
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageA(hwnd_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    LPARAM ItemData(HTREEITEM item) const {
        TVITEMA fields = {};
        fields.mask = TVIF_PARAM | TVIF_HANDLE;
        fields.hItem = item;
        ::SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&fields));
        return fields.lParam;
    }
    bool SetItemData(HTREEITEM item, LPARAM data) const {
        TVITEMA fields = {};
        fields.mask = TVIF_PARAM | TVIF_HANDLE;
        fields.hItem = item;
        fields.lParam = data;
        return SetItem(fields);
    }
    bool SetItemImage(HTREEITEM item, int image, int selectedImage) const {
        TVITEMA fields = {};
        fields.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
        fields.hItem = item;
        fields.iImage = image;
        fields.iSelectedImage = selectedImage;
        return SetItem(fields);
    }
    int ItemImage(HTREEITEM item) const {
        TVITEMA fields = {};
        fields.mask = TVIF_IMAGE | TVIF_HANDLE;
        fields.hItem = item;
        ::SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&fields));
        return fields.iImage;
    }
    std::string ItemText(HTREEITEM item) const {
        char text[512] = {};
        TVITEMA fields = {};
        fields.mask = TVIF_TEXT | TVIF_HANDLE;
        fields.hItem = item;
        fields.pszText = text;
        fields.cchTextMax = sizeof text;
        ::SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&fields));
        return text;
    }
    bool SetItemText(HTREEITEM item, const std::string& text) const {
        TVITEMA fields = {};
        fields.mask = TVIF_TEXT | TVIF_HANDLE;
        fields.hItem = item;
        fields.pszText = const_cast<char*>(text.c_str());
        return SetItem(fields);
    }
    bool Checked(HTREEITEM item) const {
        const LRESULT state = ::SendMessageA(hwnd_, TVM_GETITEMSTATE,
                                             reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
        return (state >> 12) == 2;
    }
    bool SetChecked(HTREEITEM item, bool checked) const {
        TVITEMA fields = {};
        fields.mask = TVIF_STATE | TVIF_HANDLE;
        fields.hItem = item;
        fields.stateMask = TVIS_STATEIMAGEMASK;
        fields.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        return SetItem(fields);
    }
    bool Expand(HTREEITEM item, UINT action = TVE_EXPAND) const {
        return ::SendMessageA(hwnd_, TVM_EXPAND, action, reinterpret_cast<LPARAM>(item)) != 0;
    }
    bool IsExpanded(HTREEITEM item) const {
        return (::SendMessageA(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                               TVIS_EXPANDED) &
                TVIS_EXPANDED) != 0;
    }
    bool Select(HTREEITEM item) const {
        return ::SendMessageA(hwnd_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) !=
               0;
    }
    // The item whose check box was just clicked becomes the selected one,
    // and the tree is drawn afresh. Wine's tree takes such an item for the
    // focused one and draws it as if selected, and goes on drawing so every
    // item clicked before it, while the item Enter opens shows no mark.
    void SelectClickedItem(HTREEITEM item) const {
        Select(item);
        ::InvalidateRect(hwnd_, nullptr, TRUE);
    }
    HTREEITEM NextItem(HTREEITEM item, UINT relation) const {
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageA(hwnd_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM Root() const { return NextItem(nullptr, TVGN_ROOT); }
    HTREEITEM Child(HTREEITEM item) const { return NextItem(item, TVGN_CHILD); }
    HTREEITEM Sibling(HTREEITEM item) const { return NextItem(item, TVGN_NEXT); }
    HTREEITEM Parent(HTREEITEM item) const { return NextItem(item, TVGN_PARENT); }
    HTREEITEM Selected() const { return NextItem(nullptr, TVGN_CARET); }
    // The item and the part of it under a point given in screen coordinates.
    HTREEITEM HitTest(POINT screenPoint, UINT* flags = nullptr) const {
        TVHITTESTINFO hit = {};
        hit.pt = screenPoint;
        ::ScreenToClient(hwnd_, &hit.pt);
        ::SendMessageA(hwnd_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (flags) {
            *flags = hit.flags;
        }
        return hit.hItem;
    }
    // The item's caption rectangle, in the tree's client coordinates.
    bool TextRect(HTREEITEM item, RECT& rect) const {
        *reinterpret_cast<HTREEITEM*>(&rect) = item;
        return ::SendMessageA(hwnd_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    HIMAGELIST SetImageList(HIMAGELIST images, int kind = TVSIL_NORMAL) const {
        return reinterpret_cast<HIMAGELIST>(
            ::SendMessageA(hwnd_, TVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(images)));
    }

private:
    bool SetItem(TVITEMA& fields) const {
        return ::SendMessageA(hwnd_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&fields)) != 0;
    }

    HWND hwnd_ = nullptr;
};
