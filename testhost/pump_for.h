// Keeps the thread's windows served for a while: long enough for a virtual
// display to draw them before a picture is taken.
#pragma once

#include "base/message_pump.h"
#include "base/win32.h"

// Stops early when the thread is told to quit.
inline void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (::GetTickCount64() < end && PumpWaitingMessages()) {
        ::Sleep(20);
    }
}
