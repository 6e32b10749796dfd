#include "testhost/thread_timer.h"

#include <map>

namespace {

// Timer callbacks carry no pointer of their own.
std::map<UINT_PTR, ThreadTimer*>& Timers() {
    static std::map<UINT_PTR, ThreadTimer*> timers;
    return timers;
}

} // namespace

ThreadTimer::ThreadTimer(DWORD milliseconds, std::function<void()> tick)
    : tick_(std::move(tick)), timer_(::SetTimer(nullptr, 0, milliseconds, OnTimer)) {
    Timers()[timer_] = this;
}

ThreadTimer::~ThreadTimer() {
    ::KillTimer(nullptr, timer_);
    Timers().erase(timer_);
}

void CALLBACK ThreadTimer::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    auto found = Timers().find(timer);
    if (found == Timers().end() || found->second->ticking_) {
        return;
    }
    ThreadTimer& self = *found->second;
    self.ticking_ = true;
    self.tick_();
    // The tick may have destroyed its own timer.
    found = Timers().find(timer);
    if (found != Timers().end()) {
        found->second->ticking_ = false;
    }
}
