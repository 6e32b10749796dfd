// A report-view list control and its header, one platform request per call.
#pragma once

#include "base/win32.h"

#include <commctrl.h>

#include <string>

class CListCtrl {
public:
    CListCtrl() = default;
    explicit CListCtrl(HWND window) : hwnd_(window) {}
    HWND hwnd() const { return hwnd_; }

    int InsertColumn(int index, const std::string& caption, int format, int width) const {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = format;
        column.cx = width;
        column.pszText = const_cast<char*>(caption.c_str());
        column.iSubItem = index;
        return static_cast<int>(
            ::SendMessageA(hwnd_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
    }
    int InsertItem(int index, const std::string& text, int image) const {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index;
        item.pszText = const_cast<char*>(text.c_str());
        item.iImage = image;
        return static_cast<int>(
            ::SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    bool SetItemText(int index, int column, const std::string& text) const {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = const_cast<char*>(text.c_str());
        return ::SendMessageA(hwnd_, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    std::string ItemText(int index, int column) const {
        char text[1024] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(hwnd_, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    bool SetItemData(int index, LPARAM data) const {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        item.lParam = data;
        return ::SendMessageA(hwnd_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    LPARAM ItemData(int index) const {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        ::SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.lParam;
    }
    int ItemCount() const {
        return static_cast<int>(::SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0));
    }
    bool DeleteAllItems() const { return ::SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0) != 0; }
    int ColumnWidth(int column) const {
        return static_cast<int>(::SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, column, 0));
    }
    bool SetColumnWidth(int column, int width) const {
        return ::SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)) != 0;
    }
    HIMAGELIST SetImageList(HIMAGELIST images, int kind) const {
        return reinterpret_cast<HIMAGELIST>(
            ::SendMessageA(hwnd_, LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(images)));
    }
    HWND Header() const {
        return reinterpret_cast<HWND>(::SendMessageA(hwnd_, LVM_GETHEADER, 0, 0));
    }
    // Sets the styles in `mask` to those of `styles`.
    void SetExtendedStyle(DWORD mask, DWORD styles) const {
        ::SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, styles);
    }
    // `compare` gets the two rows' data and `key`.
    bool SortItems(PFNLVCOMPARE compare, LPARAM key) const {
        return ::SendMessageA(hwnd_, LVM_SORTITEMS, key, reinterpret_cast<LPARAM>(compare)) != 0;
    }
    int SelectedCount() const {
        return static_cast<int>(::SendMessageA(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0));
    }
    // -1 starts the search at the top; -1 back when no selected row is left.
    int NextSelected(int after) const {
        return static_cast<int>(::SendMessageA(hwnd_, LVM_GETNEXTITEM, after, LVNI_SELECTED));
    }
    void Repaint() const { ::UpdateWindow(hwnd_); }

    // A list whose rows the parent supplies: how many there are.
    bool SetItemCount(int count) const {
        return ::SendMessageA(hwnd_, LVM_SETITEMCOUNT, count, 0) != 0;
    }
    int NextFocused() const {
        return static_cast<int>(::SendMessageA(hwnd_, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
    }
    // The states in `mask` set to those of `state`; row -1 is every row.
    bool SetItemState(int index, UINT state, UINT mask) const {
        LVITEMA item = {};
        item.stateMask = mask;
        item.state = state;
        return ::SendMessageA(hwnd_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    void EnsureVisible(int index) const { ::SendMessageA(hwnd_, LVM_ENSUREVISIBLE, index, FALSE); }

private:
    HWND hwnd_ = nullptr;
};

class CHeaderCtrl {
public:
    explicit CHeaderCtrl(HWND window) : hwnd_(window) {}
    HIMAGELIST SetImageList(HIMAGELIST images) const {
        return reinterpret_cast<HIMAGELIST>(
            ::SendMessageA(hwnd_, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
    }
    int ItemFormat(int index) const {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        ::SendMessageA(hwnd_, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
        return item.fmt;
    }
    bool SetItemFormatAndImage(int index, int format, int image) const {
        HDITEMA item = {};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        item.fmt = format;
        item.iImage = image;
        return ::SendMessageA(hwnd_, HDM_SETITEMA, index, reinterpret_cast<LPARAM>(&item)) != 0;
    }

private:
    HWND hwnd_;
};
