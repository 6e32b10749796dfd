#include "ui/archive_dialog.h"

#include "engine/archive_task.h"
#include "base/file_utils.h"
#include "base/message_box.h"
#include "base/shell_launch.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "ui/about_dialog.h"
#include "ui/dialog_trees.h"
#include "ui/host_mailbox_opening.h"
#include "ui/viewer_closed_notice.h"

CArchiveDlg::CArchiveDlg(HWND owner)
    : CDialog(IDD_ARCHIVE, owner), task_(*this, owner, filterPanel_, log_) {}

CArchiveDlg::~CArchiveDlg() {
    if (App().Context().mainDialogWindow == hwnd()) {
        App().Context().mainDialogWindow = nullptr;
    }
}

bool CArchiveDlg::RefuseUnusableArchive() {
    if (archiveProblem_.empty()) {
        return false;
    }
    ShowMessageBox(hwnd(), archiveProblem_, CStowlarkApp::kAppName, MB_OK | MB_ICONEXCLAMATION);
    return true;
}

bool CArchiveDlg::PreTranslateMessage(MSG& message) {
    if (accelerators_ && ::TranslateAcceleratorW(hwnd(), accelerators_.get(), &message)) {
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        // Enter belongs to the focused control: in a tree it opens the
        // selected item.
        return false;
    }
    // Escape reaches the dialog as IDCANCEL, which ends nothing here, after
    // an open drop-down list has had it.
    return CDialog::PreTranslateMessage(message);
}

void CArchiveDlg::OnCommand(int id, int /*notifyCode*/, HWND /*control*/) {
    // While a task runs only Stop and help answer: the task reads the filter
    // and the delete flags, and a click that slips through while it pumps
    // messages must neither change them nor close or start anything.
    if (task_.running() && id != IDC_STOP && id != IDC_HELP_BUTTON && id != ID_HELP) {
        return;
    }
    if (filterPanel_.HandleClick(id)) {
        return;
    }
    switch (id) {
    case IDC_ARCHIVE:
        RunTask(Task::Archive);
        break;
    case IDC_RESTORE:
        RunTask(Task::Restore);
        break;
    case IDC_STOP:
        task_.RequestStop();
        break;
    case IDC_CLOSE:
    case ID_CLOSE_DIALOG:
        CloseSequence();
        break;
    case IDC_HELP_BUTTON:
    case ID_HELP:
        OpenHelp();
        break;
    case ID_SHOW_LOG:
        ShowLogWindow();
        break;
    case ID_ABOUT:
        ShowAbout();
        break;
    case IDC_DELETE_ARCHIVED:
        deleteArchived_ = !deleteArchived_;
        SetCheck(IDC_DELETE_ARCHIVED, deleteArchived_);
        break;
    case IDC_DELETE_RESTORED:
        deleteRestored_ = !deleteRestored_;
        SetCheck(IDC_DELETE_RESTORED, deleteRestored_);
        break;
    case ID_OPEN_MAILBOX:
        OpenMailboxItem();
        break;
    case ID_OPEN_ARCHIVE:
        OpenArchiveItem();
        break;
    case IDC_FIND_ALL:
    case ID_FIND_ALL:
        ShowFindWindow();
        break;
    default:
        // IDOK and IDCANCEL from Enter and Escape end nothing here.
        break;
    }
}

void CArchiveDlg::RunTask(Task task) {
    // A restore from the Find window runs inside that window, which no
    // viewer need hold open.
    if (App().Context().viewerTaskRunning || RefuseUnusableArchive()) {
        return;
    }
    filterPanel_.ReadDates();
    filterPanel_.ReadOthers();
    const bool restoring = task == Task::Restore;
    std::vector<MailboxSelection> mailboxes;
    std::vector<std::string> archives;
    if (restoring) {
        archives = trees_.TickedArchives();
    } else {
        mailboxes = trees_.TickedMailboxes();
    }
    const int selected = static_cast<int>(restoring ? archives.size() : mailboxes.size());
    const std::string problem = filter_.validate(selected, restoring);
    if (!problem.empty()) {
        ShowMessageBox(hwnd(), problem, CStowlarkApp::kAppName, MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    // The task tells the index of its rows itself; a catch-up between them
    // would only wait for the archive's lock.
    KeepIndexCurrent(false);
    task_.Start();
    EnableItem(IDC_FIND_ALL, false);
    if (log_) {
        log_->HideForTask();
    }

    const std::string& logPath = App().Context().logPath;
    int result = 0;
    if (restoring) {
        result = RestoreTask(*database_, staging_, logPath, task_)
                     .run(archives, filter_, deleteRestored_);
    } else {
        result = ArchiveTask(*database_, logPath, task_).run(mailboxes, filter_, deleteArchived_);
    }

    task_.Ended();
    if (!hwnd()) {
        // The host's window went, and this one with it, during the task.
        ReleaseArchive();
        return;
    }
    task_.SetProgress(0);
    if (result > 0) {
        trees_.RefreshArchiveCounts(*database_);
        trees_.RefreshMailboxCounts();
    }
    task_.Unlock(TaskButtonsAllowed());
    EnableItem(IDC_FIND_ALL, true);
    KeepIndexCurrent(true);
    // The pressed button was disabled under the keyboard's focus. A user
    // who went on working in the host meanwhile keeps the keyboard there.
    if (::GetActiveWindow() == hwnd()) {
        ::SetFocus(Item(restoring ? IDC_ARCHIVE_TREE : IDC_MAILBOX_TREE));
    }
    if (log_ && log_->displayAfterTasks()) {
        ShowLogWindow();
    }
}

bool CArchiveDlg::TaskButtonsAllowed() const {
    return viewers_.empty() && archiveProblem_.empty();
}

void CArchiveDlg::EnableTaskButtons() {
    task_.EnableTaskButtons(TaskButtonsAllowed());
}

void CArchiveDlg::OpenHelp() const {
    const std::string& helpPath = App().Context().helpPath;
    if (FileExists(helpPath)) {
        OpenDocument(helpPath);
    }
}

void CArchiveDlg::ShowLogWindow() {
    if (log_) {
        log_->ShowLog();
    }
}

void CArchiveDlg::ShowAbout() {
    CAboutDlg about(hwnd());
    about.RunPlatformModal();
}

LRESULT CArchiveDlg::OnNotify(const NMHDR& header) {
    const CTreeCtrl* tree = TreeOfWindow(trees_, header.hwndFrom);
    if (!tree) {
        return 0;
    }
    switch (header.code) {
    case NM_CLICK:
    case NM_DBLCLK:
        checkWatch_.Click(hwnd(), *tree);
        break;
    case TVN_KEYDOWN: {
        const WORD key = reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey;
        if (key == VK_SPACE) {
            checkWatch_.Watch(hwnd(), *tree, tree->Selected());
        } else if (key == VK_F10 && (::GetKeyState(VK_SHIFT) & 0x8000)) {
            menus_.RequestFromKeyboard(hwnd(), tree->hwnd());
        }
        break;
    }
    case NM_RETURN:
        if (!task_.running()) {
            if (tree == &trees_.mailboxTree()) {
                OpenMailboxItem();
            } else {
                OpenArchiveItem();
            }
        }
        return 1;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
        trees_.ShowFolderExpanded(*tree, change.itemNew.hItem, (change.action & TVE_EXPAND) != 0);
        break;
    }
    default:
        break;
    }
    return 0;
}

bool CArchiveDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (checkWatch_.OnMessage(message, wParam, lParam) ||
        menus_.OnMessage(hwnd(), message, wParam, lParam, !task_.running())) {
        return true;
    }
    if (indexKeeper_ && indexKeeper_->IsTurn(message, wParam)) {
        if (!task_.running()) {
            indexKeeper_->Step();
        }
        return true;
    }
    if (message == kArchiveChangedNotice) {
        if (!task_.running() && database_ && archiveProblem_.empty()) {
            trees_.RefreshArchiveCounts(*database_);
            trees_.RefreshMailboxCounts();
        }
        return true;
    }
    if (message == WM_DESTROY) {
        OnWindowGoing();
        return false;
    }
    if (message == WM_ENDSESSION && wParam) {
        // The session ends without a Close: what the user set is kept.
        CloseSequence();
        return true;
    }
    const UINT closedMessage = App().Context().archiveClosedMessage;
    if (closedMessage != 0 && message == closedMessage && wParam == 1) {
        if (const auto viewer = TakeClosedViewer(lParam)) {
            OnViewerClosed(*viewer);
        }
        result = 0;
        return true;
    }
    return false;
}

void CArchiveDlg::OpenMailboxItem() {
    if (OpenSelectedMailbox(trees_)) {
        // The user goes on in the host's own window.
        CloseSequence();
    }
}

void CArchiveDlg::OpenArchiveItem() {
    const HTREEITEM item = viewers_.ItemToOpen();
    if (!item || RefuseUnusableArchive()) {
        return;
    }
    if (viewers_.Open(item, hwnd(), connectionString_, database_.get())) {
        EnableTaskButtons();
    }
}

void CArchiveDlg::OnViewerClosed(HWND viewer) {
    viewers_.Closed(viewer);
    if (!task_.running()) {
        EnableTaskButtons();
    }
}
