#include "ui/find_index_keeper.h"

#include "engine/task_log.h"
#include "host/host_error.h"
#include "base/stowlark_app.h"

namespace {

// Each slice goes from a timer, whose turn comes after the keyboard's and
// painting.
constexpr UINT_PTR kCatchUpTimer = 2;
constexpr DWORD kSliceMilliseconds = 50;

std::string ProgressText(int percent) {
    return "Bringing the index up to date: " + std::to_string(percent) + "%";
}

} // namespace

bool CFindIndexKeeper::Start() {
    if (catchingUp_) {
        return true;
    }
    const bool current = index_.IsCurrent();
    WriteLog();
    if (current) {
        return false;
    }
    catchingUp_ = true;
    progressText_ = ProgressText(0);
    try {
        host_.emplace(HostApplication::Connect());
    } catch (const HostError&) {
        // The window alone shows the progress.
    }
    ::SetTimer(window_, kCatchUpTimer, 1, nullptr);
    return true;
}

void CFindIndexKeeper::Stop() {
    ::KillTimer(window_, kCatchUpTimer);
    catchingUp_ = false;
    host_.reset();
}

bool CFindIndexKeeper::IsTurn(UINT message, WPARAM wParam) const {
    return message == WM_TIMER && wParam == kCatchUpTimer;
}

bool CFindIndexKeeper::Step() {
    if (!catchingUp_) {
        return false;
    }
    const IndexProgress progress = index_.CatchUp(kSliceMilliseconds);
    WriteLog();
    progressText_ = ProgressText(progress.percent);
    if (host_) {
        try {
            host_->SetStatusText(progress.statusText);
        } catch (const HostError&) {
            host_.reset();
        }
    }
    if (progress.done) {
        Stop();
    }
    return progress.done;
}

void CFindIndexKeeper::WriteLog() {
    const std::vector<std::string> lines = index_.TakeLogLines();
    if (lines.empty()) {
        return;
    }
    for (const std::string& line : lines) {
        TaskLog::append(App().Context().logPath, line);
    }
    if (logWritten_) {
        logWritten_();
    }
}
