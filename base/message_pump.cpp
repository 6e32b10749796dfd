#include "base/message_pump.h"

#include "base/stowlark_app.h"

// Messages are taken in UTF-16: a character typed into one of the wide
// controls (the viewer's find field) arrives whole, and the plug-in's ANSI
// windows still get theirs in the code page.
bool PumpWaitingMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!::GetMessageW(&message, nullptr, 0, 0)) {
            // The host's message loop must still see the quit request.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        DispatchThreadMessage(message);
    }
    return true;
}

void DispatchThreadMessage(MSG& message) {
    if (App().Routing().PreTranslate(message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}
