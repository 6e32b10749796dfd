// The main dialog's side of Find in every archive: the window opened by
// Ctrl+F or "F&ind...", and what it asks of the dialog (the archives' names
// and viewers, whether a task runs, the log window).
#include "ui/archive_dialog.h"

#include "db/mailbox_table_name.h"
#include "base/stowlark_app.h"
#include "ui/window_ops.h"

void CArchiveDlg::KeepIndexCurrent(bool on) {
    if (!on) {
        if (indexKeeper_) {
            indexKeeper_->Stop();
        }
        return;
    }
    if (!archiveProblem_.empty() || (find_ && find_->hwnd())) {
        return;
    }
    if (!indexKeeper_) {
        index_ = std::make_unique<ArchiveIndex>(databasePath_);
        indexKeeper_ = std::make_unique<CFindIndexKeeper>(*index_, [this] { LogWritten(); });
        indexKeeper_->Attach(hwnd());
    }
    indexKeeper_->Start();
}

void CArchiveDlg::ShowFindWindow() {
    if (RefuseUnusableArchive()) {
        return;
    }
    // The window's own catch-up takes over, shown in it.
    KeepIndexCurrent(false);
    // One window at most: asked again, it comes forward.
    if (!find_ || !find_->hwnd()) {
        FindWindowOwner& owner = *this;
        find_ = std::make_unique<CFindWindow>(hwnd(), owner, databasePath_, connectionString_);
        if (!find_->Create() || !find_->hwnd()) {
            find_.reset();
            return;
        }
    }
    find_->Show();
}

std::string CArchiveDlg::ArchiveName(const std::string& table) const {
    const HTREEITEM item = viewers_.ItemOfTable(table);
    const ArchiveItem* archive = item ? trees_.Archive(item) : nullptr;
    return archive ? archive->name : MailboxNameFromTableName(table);
}

bool CArchiveDlg::ShowInViewer(const std::string& table, long long place) {
    if (task_.running() || RefuseUnusableArchive()) {
        return false;
    }
    const HTREEITEM item = viewers_.ItemOfTable(table);
    if (!item) {
        return false;
    }
    CArchiveViewer* viewer = viewers_.ViewerOf(item);
    if (viewer) {
        BringForward(viewer->hwnd());
    } else {
        if (!viewers_.Open(item, hwnd(), connectionString_, database_.get())) {
            return false;
        }
        EnableTaskButtons();
        viewer = viewers_.ViewerOf(item);
    }
    return viewer && viewer->SelectRow(place);
}

bool CArchiveDlg::ViewerShows(const std::string& table) const {
    const HTREEITEM item = viewers_.ItemOfTable(table);
    const ArchiveItem* archive = item ? trees_.Archive(item) : nullptr;
    return archive && archive->viewer;
}

void CArchiveDlg::LogWritten() {
    if (log_) {
        log_->Reload();
    }
}
