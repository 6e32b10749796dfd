#include "testhost/plugin_window_user.h"

#include "testhost/pump_for.h"
#include "testhost/window_snapshot.h"

#include <map>

namespace {

// Timer callbacks carry no pointer of their own.
std::map<UINT_PTR, PluginWindowUser*>& Users() {
    static std::map<UINT_PTR, PluginWindowUser*> users;
    return users;
}

std::string Caption(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND FindButton(HWND window, const char* text) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (Caption(child) == text) {
            return child;
        }
    }
    return nullptr;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    if (::IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

} // namespace

PluginWindowUser::PluginWindowUser(HWND hostWindow, DWORD afterMilliseconds, std::string pictureDir)
    : hostWindow_(hostWindow), pictureDir_(std::move(pictureDir)),
      timer_(::SetTimer(nullptr, 0, afterMilliseconds, OnTimer)) {
    Users()[timer_] = this;
}

PluginWindowUser::~PluginWindowUser() {
    ::KillTimer(nullptr, timer_);
    Users().erase(timer_);
}

void CALLBACK PluginWindowUser::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    auto found = Users().find(timer);
    if (found != Users().end()) {
        found->second->Act();
    }
}

void PluginWindowUser::Act() {
    // Taking pictures pumps messages, and the timer goes on ticking.
    if (acting_) {
        return;
    }
    acting_ = true;
    ActOnWindows();
    acting_ = false;
}

void PluginWindowUser::ActOnWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    std::vector<HWND> open;
    for (const HWND window : windows) {
        if (window != hostWindow_ && ::IsWindowEnabled(window)) {
            open.push_back(window);
        }
    }
    // Every picture first: closing one window may close the others.
    for (const HWND window : open) {
        const std::string caption = Caption(window);
        if (pictureDir_.empty() || !pictured_.insert(caption).second) {
            continue;
        }
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        PumpFor(400);
        const std::string file = pictureDir_ + "\\" + caption + ".bmp";
        if (SaveWindowSnapshot(window, file)) {
            transcript_.push_back("picture of " + caption + " in " + file);
        }
    }
    for (const HWND window : open) {
        if (!::IsWindow(window) || !::IsWindowVisible(window)) {
            continue;
        }
        const std::string caption = Caption(window);
        if (const HWND close = FindButton(window, "&Close")) {
            ::PostMessageA(close, BM_CLICK, 0, 0);
        } else {
            ::PostMessageA(window, WM_CLOSE, 0, 0);
        }
        transcript_.push_back("closed " + caption);
    }
}
