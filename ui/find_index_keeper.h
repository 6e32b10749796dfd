// The Find window's index kept up to date: an index behind its archive
// catches up a slice at a time from a timer of the window, with its progress
// for the window and the host's status line; the lines of an index file set
// aside go to the task log.
#pragma once

#include "engine/archive_index.h"
#include "host/host_application.h"
#include "base/win32.h"

#include <functional>
#include <optional>
#include <string>

class CFindIndexKeeper {
public:
    // `logWritten` is told when the task log gained lines.
    CFindIndexKeeper(ArchiveIndex& index, std::function<void()> logWritten)
        : index_(index), logWritten_(std::move(logWritten)) {}

    // `window` owns the timer.
    void Attach(HWND window) { window_ = window; }
    // Starts catching up when the index is behind; true while it does.
    bool Start();
    void Stop();
    bool catchingUp() const { return catchingUp_; }
    // "Bringing the index up to date: 40%".
    const std::string& progressText() const { return progressText_; }

    // `message` and `wParam` are the window's: true when they were the
    // catch-up's own turn.
    bool IsTurn(UINT message, WPARAM wParam) const;
    // One slice; true when the index has just come up to date with it.
    bool Step();
    // The index's lines since the last call, into the task log.
    void WriteLog();

private:
    ArchiveIndex& index_;
    std::function<void()> logWritten_;
    HWND window_ = nullptr;
    bool catchingUp_ = false;
    std::string progressText_;
    // For the status line, while catching up.
    std::optional<HostApplication> host_;
};
