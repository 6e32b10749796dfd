// Window requests the dialogs share.
#pragma once

#include "plugin/win32.h"

// Foreground first; only when the system allows that is the window also made
// active, raised and given the keyboard.
inline bool BringForward(HWND window) {
    if (!::SetForegroundWindow(window)) {
        return false;
    }
    ::SetActiveWindow(window);
    ::BringWindowToTop(window);
    ::SetFocus(window);
    return true;
}

inline void SetBigIcon(HWND window, HICON icon) {
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}
