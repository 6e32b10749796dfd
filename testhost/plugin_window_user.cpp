#include "testhost/plugin_window_user.h"

#include "testhost/pump_for.h"
#include "testhost/window_search.h"
#include "testhost/window_snapshot.h"

PluginWindowUser::PluginWindowUser(HWND hostWindow, DWORD afterMilliseconds, std::string pictureDir)
    : hostWindow_(hostWindow), pictureDir_(std::move(pictureDir)),
      timer_(afterMilliseconds, [this] { ActOnWindows(); }) {}

void PluginWindowUser::ActOnWindows() {
    std::vector<HWND> open;
    for (const HWND window : VisibleThreadWindows()) {
        if (window != hostWindow_ && ::IsWindowEnabled(window)) {
            open.push_back(window);
        }
    }
    // Every picture first: closing one window may close the others.
    for (const HWND window : open) {
        const std::string caption = WindowCaption(window);
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
        const std::string caption = WindowCaption(window);
        if (const HWND close = FindChildByCaption(window, "&Close")) {
            ::PostMessageA(close, BM_CLICK, 0, 0);
        } else {
            ::PostMessageA(window, WM_CLOSE, 0, 0);
        }
        transcript_.push_back("closed " + caption);
    }
}
