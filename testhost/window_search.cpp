#include "testhost/window_search.h"

#include "testhost/lower_case.h"

#include <cstring>

namespace {

// The id a message box gives its text.
const int kMessageBoxTextId = 0xFFFF;

BOOL CALLBACK CollectVisible(HWND window, LPARAM list) {
    if (::IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

struct ChildSearch {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM search) {
    auto& wanted = *reinterpret_cast<ChildSearch*>(search);
    if (PlainCaption(WindowCaption(window)) == wanted.caption) {
        wanted.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool IsOfClass(HWND window, const std::string& className) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return LowerCase(name) == LowerCase(className);
}

std::string WindowCaption(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string PlainCaption(const std::string& caption) {
    std::string plain;
    for (char c : caption) {
        if (c != '&') {
            plain += c;
        }
    }
    return LowerCase(plain);
}

std::vector<HWND> VisibleThreadWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindChildByCaption(HWND parent, const std::string& caption) {
    ChildSearch search{PlainCaption(caption)};
    ::EnumChildWindows(parent, MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindThreadWindow(const std::string& caption) {
    const std::string wanted = PlainCaption(caption);
    for (const HWND window : VisibleThreadWindows()) {
        if (PlainCaption(WindowCaption(window)) == wanted) {
            return window;
        }
    }
    return nullptr;
}

HWND FindAnyWindow(const std::string& caption) {
    ChildSearch search{PlainCaption(caption)};
    ::EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindMessageBox() {
    for (const HWND window : VisibleThreadWindows()) {
        if (IsOfClass(window, "#32770") && ::GetDlgItem(window, kMessageBoxTextId) &&
            (::GetDlgItem(window, IDOK) || ::GetDlgItem(window, IDCANCEL))) {
            return window;
        }
    }
    return nullptr;
}

std::string MessageBoxText(HWND messageBox) {
    return WindowCaption(::GetDlgItem(messageBox, kMessageBoxTextId));
}

bool TreeCheckBoxPoint(HWND tree, HTREEITEM item, POINT& point) {
    // The message takes the item in the rectangle it fills.
    RECT text = {};
    std::memcpy(&text, &item, sizeof item);
    if (!::SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text))) {
        return false;
    }
    // The check box sits somewhere left of the text, after the indent and
    // the lines; the tree's own hit test finds it.
    const int y = (text.top + text.bottom) / 2;
    for (int x = 0; x < text.left; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = {x, y};
        if (reinterpret_cast<HTREEITEM>(
                ::SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) == item &&
            (hit.flags & TVHT_ONITEMSTATEICON)) {
            point = {x + 4, y};
            return true;
        }
    }
    return false;
}

UINT FindMenuCommand(HMENU menu, const std::string& caption) {
    const int count = menu ? ::GetMenuItemCount(menu) : 0;
    for (int position = 0; position < count; ++position) {
        if (const HMENU submenu = ::GetSubMenu(menu, position)) {
            if (const UINT command = FindMenuCommand(submenu, caption)) {
                return command;
            }
            continue;
        }
        char text[256] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
        if (PlainCaption(text) == PlainCaption(caption) && !(state & (MF_GRAYED | MF_DISABLED))) {
            return ::GetMenuItemID(menu, position);
        }
    }
    return 0;
}
