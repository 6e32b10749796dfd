// Finding the plug-in's windows and controls the way a user does: by what
// they show.
#pragma once

#include "base/win32.h"

#include <commctrl.h>

#include <string>
#include <vector>

std::string WindowCaption(HWND window);
// Window classes are named without regard to case.
bool IsOfClass(HWND window, const std::string& className);
// Without "&" and in lower case: "&Archive" and "archive" are the same.
std::string PlainCaption(const std::string& caption);
// The visible top-level windows of the calling thread.
std::vector<HWND> VisibleThreadWindows();
// The first child (at any depth) whose plain caption is `caption`'s.
HWND FindChildByCaption(HWND parent, const std::string& caption);
// The first visible window of the thread whose plain caption is `caption`'s.
HWND FindThreadWindow(const std::string& caption);
// A top-level window of any program whose plain caption is `caption`'s.
HWND FindAnyWindow(const std::string& caption);
// The command of the enabled item of `menu` or its submenus whose plain
// caption is `caption`'s; 0 when there is none.
UINT FindMenuCommand(HMENU menu, const std::string& caption);
// Where a click lands on the check box of the tree's `item` (client
// coordinates); false when the item shows none.
bool TreeCheckBoxPoint(HWND tree, HTREEITEM item, POINT& point);
// A message box of the thread, or null: its text's control and a button
// that ends it.
HWND FindMessageBox();
std::string MessageBoxText(HWND messageBox);
