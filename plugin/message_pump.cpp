#include "plugin/message_pump.h"

#include "plugin/win32.h"

bool PumpWaitingMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!::GetMessageA(&message, nullptr, 0, 0)) {
            // The host's message loop must still see the quit request.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return true;
}
