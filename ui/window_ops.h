// Window requests the dialogs share.
#pragma once

#include "base/win32.h"

#include <string>
#include <vector>

// The window's caption or a control's text.
inline std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextA(window, text.data(), length + 1);
    return std::string(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

// Foreground first; only when the system allows that is the window also
// restored from the task bar (unless `restore` is false: a window just opened
// minimised stays so), made active, raised and given the keyboard.
inline bool BringForward(HWND window, bool restore = true) {
    if (!::SetForegroundWindow(window)) {
        return false;
    }
    if (restore && ::IsIconic(window)) {
        ::ShowWindow(window, SW_RESTORE);
    }
    ::SetActiveWindow(window);
    ::BringWindowToTop(window);
    ::SetFocus(window);
    return true;
}

inline void SetBigIcon(HWND window, HICON icon) {
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

// Where the window's top-left corner may go so that all of the window stays
// on the nearest screen's work area; `place` itself when it already does.
inline POINT KeptOnScreen(HWND window, POINT place) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    // Far beyond any screen (a settings file's garbage), the sums below
    // would overflow; no screen is a million pixels across.
    const LONG kFar = 1000000;
    place.x = place.x < -kFar ? -kFar : place.x > kFar ? kFar : place.x;
    place.y = place.y < -kFar ? -kFar : place.y > kFar ? kFar : place.y;
    const RECT wanted = {place.x, place.y, place.x + width, place.y + height};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return place;
    }
    const RECT& area = monitor.rcWork;
    if (place.x + width > area.right) {
        place.x = area.right - width;
    }
    if (place.y + height > area.bottom) {
        place.y = area.bottom - height;
    }
    if (place.x < area.left) {
        place.x = area.left;
    }
    if (place.y < area.top) {
        place.y = area.top;
    }
    return place;
}
