// How the main dialog ends: through Close, Ctrl+W or the opening of a host
// mailbox, or with its owner, the host's window, when that goes away under
// it. Either way what the user set is kept and the archive let go of.
#include "ui/archive_dialog.h"

#include "base/settings_keys.h"
#include "base/stowlark_app.h"

void CArchiveDlg::CloseSequence() {
    // Start-up shows error boxes and pumps the host's messages; a close
    // request arriving then would pull the database from under it.
    // A viewer's restore runs inside the viewer, which closing would take
    // away from under it.
    if (starting_ || App().Context().viewerTaskRunning) {
        return;
    }
    SaveSettings();
    ReleaseArchive();
    EndDialog(IDOK);
}

void CArchiveDlg::SaveSettings() {
    if (closed_) {
        return;
    }
    closed_ = true;
    PluginContext& context = App().Context();
    context.mainDialogWindow = nullptr;
    filterPanel_.ReadDates();
    filterPanel_.ReadOthers();
    filter_.saveToSettings(context.settingsPath);

    RECT rect = {};
    ::GetWindowRect(hwnd(), &rect);
    WriteSetting(settings::kMainLeft, rect.left, context.settingsPath);
    WriteSetting(settings::kMainTop, rect.top, context.settingsPath);
    WriteSetting(settings::kDeleteArchived, deleteArchived_ ? 1 : 0, context.settingsPath);
    WriteSetting(settings::kDeleteRestored, deleteRestored_ ? 1 : 0, context.settingsPath);
}

void CArchiveDlg::ReleaseArchive() {
    // Its index and connection go before the archive's; a restore running
    // in it holds it until the restore has stopped, seeing its window gone.
    if (find_ && !find_->taskRunning()) {
        find_.reset();
    }
    if (indexKeeper_) {
        indexKeeper_->Stop();
        indexKeeper_.reset();
        index_.reset();
    }
    if (database_) {
        database_->Close();
        database_.reset();
    }
    if (log_) {
        if (log_->hwnd() && log_->Save()) {
            ::DestroyWindow(log_->hwnd());
        }
        log_.reset();
    }
}

void CArchiveDlg::OnWindowGoing() {
    if (closed_ || starting_) {
        App().Context().mainDialogWindow = nullptr;
        return;
    }
    // Destroyed with its owner: the controls are still there to be read.
    SaveSettings();
    // A running task holds the database; it lets go of it once the task
    // has stopped, seeing the window gone.
    if (!task_.running()) {
        ReleaseArchive();
    }
}
