// A timer of the host's thread that calls back into an object: the host's
// helpers that play the user act on its ticks while the plug-in's modal
// windows run their own message loops.
#pragma once

#include "base/win32.h"

#include <functional>

class ThreadTimer {
public:
    ThreadTimer(DWORD milliseconds, std::function<void()> tick);
    ~ThreadTimer();
    ThreadTimer(const ThreadTimer&) = delete;
    ThreadTimer& operator=(const ThreadTimer&) = delete;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);

    std::function<void()> tick_;
    UINT_PTR timer_;
    // Acting may pump messages, and the timer goes on ticking meanwhile.
    bool ticking_ = false;
};
