// The script's steps on the selected row of the current window's list: Enter
// on it, and what it shows.
#include "testhost/script_runner.h"

#include "testhost/window_search.h"

namespace {

BOOL CALLBACK KeepFirstList(HWND child, LPARAM found) {
    if (!IsOfClass(child, WC_LISTVIEWA)) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// The current window's list, at any depth.
HWND ListOf(HWND window) {
    HWND found = nullptr;
    ::EnumChildWindows(window, KeepFirstList, reinterpret_cast<LPARAM>(&found));
    return found;
}

int SelectedRow(HWND list) {
    return list ? static_cast<int>(
                      ::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))
                : -1;
}

} // namespace

ScriptRunner::Outcome ScriptRunner::OpenRow() {
    const HWND list = ListOf(current_);
    if (SelectedRow(list) < 0) {
        return Fail("no selected row to open");
    }
    ::SetFocus(list);
    ::PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1);
    ::PostMessageA(list, WM_KEYUP, VK_RETURN, 0xC0000001);
    say_("Enter on row " + std::to_string(SelectedRow(list) + 1) + " of \"" +
         WindowCaption(current_) + "\"");
    return Outcome::Posted;
}

ScriptRunner::Outcome ScriptRunner::TellSelectedRow() {
    const HWND list = ListOf(current_);
    const int row = SelectedRow(list);
    if (row < 0) {
        return Fail("no row is selected");
    }
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    std::string cells;
    for (int column = 0; column < columns; ++column) {
        char text[512] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
        cells += (column ? " | " : "") + std::string(text);
    }
    say_("selected: row " + std::to_string(row + 1) + " of \"" + WindowCaption(current_) +
         "\": " + cells);
    return Outcome::Done;
}
