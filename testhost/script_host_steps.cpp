// The script's steps in the host's own window rather than the plug-in's.
#include "testhost/script_runner.h"

#include "testhost/window_search.h"

namespace {

std::string StatusLineText(HWND hostWindow) {
    const HWND status = ::FindWindowExA(hostWindow, nullptr, STATUSCLASSNAMEA, nullptr);
    if (!status) {
        return std::string();
    }
    std::string text(LOWORD(::SendMessageA(status, SB_GETTEXTLENGTHA, 0, 0)) + 1, '\0');
    ::SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(&text[0]));
    return text.c_str();
}

} // namespace

ScriptRunner::Outcome ScriptRunner::EmptyTrash() {
    if (phase_ == 0) {
        const UINT command = FindMenuCommand(::GetMenu(hostWindow_), "Empty Trash");
        if (!command) {
            return Fail("the host's menu has no \"Empty Trash\"");
        }
        // Posted, as the menu posts it once it has closed; handled before
        // the next tick.
        ::PostMessageA(hostWindow_, WM_COMMAND, command, 0);
        phase_ = 1;
        return Outcome::Waiting;
    }
    say_("chose \"Empty Trash\": " + StatusLineText(hostWindow_));
    return Outcome::Done;
}
