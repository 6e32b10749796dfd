// What a task running from the main dialog sees of it: the progress bar,
// Stop and the log window; and the controls locked while a task runs, the
// Jet conversion at start included.
#pragma once

#include "engine/task_controls.h"
#include "ui/dialog.h"
#include "ui/filter_panel.h"
#include "ui/log_dialog.h"

#include <memory>

class CDialogTaskControls : public TaskControls {
public:
    // `owner` is the dialog's owner, whose going stops a task; `log` may be
    // empty or let go of at any time.
    CDialogTaskControls(const CDialog& dialog, HWND owner, CFilterPanel& filterPanel,
                        const std::unique_ptr<CLogDlg>& log)
        : dialog_(dialog), owner_(owner), filterPanel_(filterPanel), log_(log) {}

    bool running() const { return running_; }
    // A fresh stop flag, and every control but Stop and help locked.
    void Start();
    void Ended() { running_ = false; }
    void RequestStop() { stopRequested_ = true; }

    // After a task, Archive and Restore only when `taskButtons`.
    void Unlock(bool taskButtons) const;
    void EnableTaskButtons(bool enable) const;

    // TaskControls
    void SetProgress(int percent) override;
    bool StopRequested() override;
    void EnableStop(bool enable) override;
    void ReloadLog() override;

private:
    void Lock() const;

    const CDialog& dialog_;
    HWND owner_;
    CFilterPanel& filterPanel_;
    const std::unique_ptr<CLogDlg>& log_;
    bool running_ = false;
    bool stopRequested_ = false;
};
