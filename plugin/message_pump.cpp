#include "plugin/message_pump.h"

#include "plugin/stowlark_app.h"

bool PumpWaitingMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!::GetMessageA(&message, nullptr, 0, 0)) {
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
    ::DispatchMessageA(&message);
}
