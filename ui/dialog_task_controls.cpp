#include "ui/dialog_task_controls.h"

#include "base/message_pump.h"
#include "res/resource_ids.h"
#include "ui/simple_controls.h"

namespace {

// Controls that follow no rule but the task's.
const int kTaskLockedControls[] = {IDC_MAILBOX_TREE,    IDC_ARCHIVE_TREE, IDC_DELETE_ARCHIVED,
                                   IDC_DELETE_RESTORED, IDC_HELP_BUTTON,  IDC_ARCHIVE,
                                   IDC_RESTORE,         IDC_CLOSE};

} // namespace

void CDialogTaskControls::Start() {
    stopRequested_ = false;
    running_ = true;
    Lock();
}

void CDialogTaskControls::Lock() const {
    for (const int id : kTaskLockedControls) {
        dialog_.EnableItem(id, false);
    }
    filterPanel_.DisableAll();
    dialog_.EnableItem(IDC_STOP, true);
}

void CDialogTaskControls::Unlock(bool taskButtons) const {
    for (const int id : kTaskLockedControls) {
        dialog_.EnableItem(id, true);
    }
    filterPanel_.EnableAfterTask();
    EnableTaskButtons(taskButtons);
    dialog_.EnableItem(IDC_STOP, false);
}

void CDialogTaskControls::EnableTaskButtons(bool enable) const {
    dialog_.EnableItem(IDC_ARCHIVE, enable);
    dialog_.EnableItem(IDC_RESTORE, enable);
}

void CDialogTaskControls::SetProgress(int percent) {
    CProgressBar(dialog_.Item(IDC_PROGRESS)).SetPos(percent);
}

bool CDialogTaskControls::StopRequested() {
    PumpWaitingMessages();
    // Gone with the host's window, which went away under a running task:
    // nobody is left to press Stop or to see the task end.
    return stopRequested_ || !dialog_.hwnd() || (owner_ && !::IsWindow(owner_));
}

void CDialogTaskControls::EnableStop(bool enable) {
    dialog_.EnableItem(IDC_STOP, enable);
}

void CDialogTaskControls::ReloadLog() {
    if (log_) {
        log_->Reload();
    }
}
