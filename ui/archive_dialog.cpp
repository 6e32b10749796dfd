#include "ui/archive_dialog.h"

#include "db/ado_exception.h"
#include "db/archive_schema.h"
#include "db/jet/jet_header.h"
#include "engine/archive_task.h"
#include "host/host_application.h"
#include "host/host_error.h"
#include "mailbox/host_mailboxes.h"
#include "plugin/file_utils.h"
#include "plugin/message_box.h"
#include "plugin/message_pump.h"
#include "plugin/settings_keys.h"
#include "plugin/shell_launch.h"
#include "plugin/stowlark_app.h"
#include "res/resource_ids.h"
#include "ui/about_dialog.h"
#include "ui/host_folder_records.h"
#include "ui/jet_archive_prompt.h"
#include "ui/simple_controls.h"
#include "ui/viewer_closed_notice.h"
#include "ui/window_ops.h"

#include <algorithm>

namespace {

// Posted by a click on a check box or Space, so that the tree has flipped
// the item's mark by the time the rest of the tree follows it.
constexpr UINT kCheckChangedMessage = WM_APP + 1;
// Posted by Shift+F10 in a tree: the menu opens once the key press has been
// handled, after any context-menu request the same key makes.
constexpr UINT kKeyboardMenuMessage = WM_APP + 2;

// Controls that follow no rule but the task's.
const int kTaskLockedControls[] = {IDC_MAILBOX_TREE,    IDC_ARCHIVE_TREE, IDC_DELETE_ARCHIVED,
                                   IDC_DELETE_RESTORED, IDC_HELP_BUTTON,  IDC_ARCHIVE,
                                   IDC_RESTORE,         IDC_CLOSE};

} // namespace

CArchiveDlg::CArchiveDlg(HWND parent) : CDialog(IDD_ARCHIVE, parent) {}

CArchiveDlg::~CArchiveDlg() {
    if (App().Context().mainDialogWindow == hwnd()) {
        App().Context().mainDialogWindow = nullptr;
    }
}

bool CArchiveDlg::OnInitDialog() {
    PluginContext& context = App().Context();
    SetBigIcon(hwnd(), ::LoadIconA(App().Instance(), MAKEINTRESOURCEA(IDI_MAIN_DIALOG)));

    context.mainDialogWindow = hwnd();
    taskRunning_ = false;
    starting_ = true;
    accelerators_.reset(::LoadAcceleratorsA(App().Instance(), MAKEINTRESOURCEA(IDA_MAIN_KEYS)));
    staging_.mbxPath = context.hostDataDir + "\\Pending.mbx";
    staging_.tocPath = context.hostDataDir + "\\Pending.toc";
    menu_.reset(::LoadMenuA(App().Instance(), MAKEINTRESOURCEA(IDM_MAIN_MENU)));
    mailboxMenu_ = ::GetSubMenu(menu_.get(), 0);
    archiveMenu_ = ::GetSubMenu(menu_.get(), 1);

    const bool firstUse = !FileExists(context.settingsPath);
    filter_.loadFromSettings(context.settingsPath);
    filterPanel_.Attach(hwnd());
    trees_.Attach(Item(IDC_MAILBOX_TREE), Item(IDC_ARCHIVE_TREE));

    OpenDatabase();
    trees_.BuildRoots(context.hostDataDir, databasePath_);
    // Read once for the counts and the orphans alike.
    const ArchiveTableList archives =
        jetArchive_ ? ArchiveTableList() : ListArchiveTables(*database_);
    // A host that cannot be reached leaves the roots alone in the trees.
    trees_.Fill(ReadHostFolders().value_or(std::vector<HostFolderRecord>()), archives, *database_);
    LoadDeleteBoxes();
    EnableItem(IDC_STOP, false);
    CProgressBar(Item(IDC_PROGRESS)).SetRange(0, 100);
    filterPanel_.Show();
    CreateLogWindow();
    MoveToSavedPosition();
    trees_.AddOrphanArchives(archives, *database_);
    if (firstUse) {
        OpenHelp();
    }
    ::SetWindowTextA(hwnd(), "Archive Messages");
    ::SetFocus(Item(IDC_MAILBOX_TREE));
    starting_ = false;
    return false;
}

void CArchiveDlg::OpenDatabase() {
    const PluginContext& context = App().Context();
    databasePath_ = context.databasePath;
    const std::string location = ReadSetting(settings::kLocation, context.settingsPath);
    if (!location.empty() && FileExists(location)) {
        databasePath_ = location;
    } else if (!location.empty()) {
        // A renamed folder or a drive not attached: the user expects the
        // archives kept there, and must not take the default for them.
        ShowStandardErrorBox("The archive " + location +
                             " named in the settings was not found, so the archive " +
                             databasePath_ + " is used instead.");
    }
    connectionString_ = ArchiveConnectionString(databasePath_);
    if (HasJetSignature(databasePath_) && !ConvertJetArchive()) {
        // Never opened: nothing may be written to the Jet file.
        jetArchive_ = true;
        database_ = std::make_unique<CADODatabase>();
        return;
    }
    if (!FileExists(databasePath_) && CreateArchiveDatabase(connectionString_)) {
        // The new file settles before the first connection to it.
        ::Sleep(1000);
    }
    database_ = std::make_unique<CADODatabase>();
    try {
        database_->Open(connectionString_, "", "");
    } catch (const CADOException& failure) {
        // The dialog still opens: the mailboxes can be looked at, and the
        // tasks report the database's trouble themselves.
        ShowStandardErrorBox(failure.GetErrorMessage());
    }
}

bool CArchiveDlg::ConvertJetArchive() {
    // The conversion shows its progress and takes Stop in this window.
    MoveToSavedPosition();
    ::ShowWindow(hwnd(), SW_SHOW);
    taskRunning_ = true;
    stopRequested_ = false;
    EnableForTask(true);
    const bool converted =
        ConvertJetArchiveIfAgreed(hwnd(), databasePath_, App().Context().logPath, *this);
    EnableForTask(false);
    taskRunning_ = false;
    return converted;
}

void CArchiveDlg::LoadDeleteBoxes() {
    const std::string& settingsPath = App().Context().settingsPath;
    deleteArchived_ = ReadSetting(settings::kDeleteArchived, settingsPath) == 1;
    deleteRestored_ = ReadSetting(settings::kDeleteRestored, settingsPath) == 1;
    SetCheck(IDC_DELETE_ARCHIVED, deleteArchived_);
    SetCheck(IDC_DELETE_RESTORED, deleteRestored_);
}

void CArchiveDlg::CreateLogWindow() {
    const PluginContext& context = App().Context();
    log_ = std::make_unique<CLogDlg>(context.logPath, context.settingsPath);
    const bool onStartUp = ReadSetting(settings::kLogOnStartUp, context.settingsPath) != 0;
    if (!log_->CreateLogWindow(onStartUp)) {
        log_.reset();
    }
}

void CArchiveDlg::MoveToSavedPosition() {
    const std::string& settingsPath = App().Context().settingsPath;
    POINT place = {ReadSetting(settings::kMainLeft, settingsPath),
                   ReadSetting(settings::kMainTop, settingsPath)};
    // With no system menu, a dialog saved on a screen since taken away
    // could not be brought back.
    place = KeptOnScreen(hwnd(), place);
    ::SetWindowPos(hwnd(), nullptr, place.x, place.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CArchiveDlg::PreTranslateMessage(MSG& message) {
    if (accelerators_ && ::TranslateAcceleratorA(hwnd(), accelerators_.get(), &message)) {
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
    if (taskRunning_ && id != IDC_STOP && id != IDC_HELP_BUTTON && id != ID_HELP) {
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
        stopRequested_ = true;
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
    default:
        // IDOK and IDCANCEL from Enter and Escape end nothing here.
        break;
    }
}

void CArchiveDlg::RunTask(Task task) {
    if (jetArchive_) {
        ShowStandardErrorBox(kJetArchiveRefusal);
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

    stopRequested_ = false;
    taskRunning_ = true;
    EnableForTask(true);
    if (log_) {
        log_->HideForTask();
    }

    const std::string& logPath = App().Context().logPath;
    int result = 0;
    if (restoring) {
        result = RestoreTask(*database_, staging_, logPath, *this)
                     .run(archives, filter_, deleteRestored_);
    } else {
        result = ArchiveTask(*database_, logPath, *this).run(mailboxes, filter_, deleteArchived_);
    }

    taskRunning_ = false;
    SetProgress(0);
    if (result > 0) {
        trees_.RefreshArchiveCounts(*database_);
        trees_.RefreshMailboxCounts();
    }
    EnableForTask(false);
    // The pressed button was disabled under the keyboard's focus. A user
    // who went on working in the host meanwhile keeps the keyboard there.
    if (::GetActiveWindow() == hwnd()) {
        ::SetFocus(Item(restoring ? IDC_ARCHIVE_TREE : IDC_MAILBOX_TREE));
    }
    if (log_ && log_->displayAfterTasks()) {
        ShowLogWindow();
    }
}

void CArchiveDlg::EnableForTask(bool running) {
    for (const int id : kTaskLockedControls) {
        EnableItem(id, !running);
    }
    if (running) {
        filterPanel_.DisableAll();
    } else {
        filterPanel_.EnableAfterTask();
        // A viewer opened before keeps both tasks off until it closes.
        if (!openViewers_.empty()) {
            EnableItem(IDC_ARCHIVE, false);
            EnableItem(IDC_RESTORE, false);
        }
    }
    EnableItem(IDC_STOP, running);
}

void CArchiveDlg::CloseSequence() {
    // Start-up shows error boxes and pumps the host's messages; a close
    // request arriving then would pull the database from under it.
    PluginContext& context = App().Context();
    // A viewer's restore runs inside the viewer, which closing would take
    // away from under it.
    if (starting_ || context.viewerTaskRunning) {
        return;
    }
    filterPanel_.ReadDates();
    if (database_) {
        database_->Close();
        database_.reset();
    }
    filterPanel_.ReadOthers();
    filter_.saveToSettings(context.settingsPath);

    RECT rect = {};
    ::GetWindowRect(hwnd(), &rect);
    WriteSetting(settings::kMainLeft, rect.left, context.settingsPath);
    WriteSetting(settings::kMainTop, rect.top, context.settingsPath);
    WriteSetting(settings::kDeleteArchived, deleteArchived_ ? 1 : 0, context.settingsPath);
    WriteSetting(settings::kDeleteRestored, deleteRestored_ ? 1 : 0, context.settingsPath);

    if (log_) {
        if (log_->hwnd() && log_->Save()) {
            ::DestroyWindow(log_->hwnd());
        }
        log_.reset();
    }
    context.mainDialogWindow = nullptr;
    EndDialog(IDOK);
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

const CArchiveViewer* CArchiveDlg::Viewer(HWND window) const {
    for (const auto& viewer : viewers_) {
        if (viewer->hwnd() == window) {
            return viewer.get();
        }
    }
    return nullptr;
}

const CTreeCtrl* CArchiveDlg::TreeOf(HWND window) const {
    if (window && window == trees_.mailboxTree().hwnd()) {
        return &trees_.mailboxTree();
    }
    if (window && window == trees_.archiveTree().hwnd()) {
        return &trees_.archiveTree();
    }
    return nullptr;
}

LRESULT CArchiveDlg::OnNotify(const NMHDR& header) {
    const CTreeCtrl* tree = TreeOf(header.hwndFrom);
    if (!tree) {
        return 0;
    }
    switch (header.code) {
    case NM_CLICK:
    case NM_DBLCLK:
        OnTreeClick(*tree);
        break;
    case TVN_KEYDOWN: {
        const WORD key = reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey;
        if (key == VK_SPACE) {
            WatchCheck(*tree, tree->Selected());
        } else if (key == VK_F10 && (::GetKeyState(VK_SHIFT) & 0x8000)) {
            keyboardMenuPending_ = true;
            ::PostMessageA(hwnd(), kKeyboardMenuMessage, reinterpret_cast<WPARAM>(tree->hwnd()), 0);
        }
        break;
    }
    case NM_RETURN:
        if (!taskRunning_) {
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

void CArchiveDlg::OnTreeClick(const CTreeCtrl& tree) {
    const DWORD position = ::GetMessagePos();
    const POINT point = {static_cast<short>(LOWORD(position)),
                         static_cast<short>(HIWORD(position))};
    UINT flags = 0;
    const HTREEITEM item = tree.HitTest(point, &flags);
    if (item && (flags & TVHT_ONITEMSTATEICON)) {
        // One item looks selected, and it is the one Enter opens.
        tree.SelectClickedItem(item);
        WatchCheck(tree, item);
    }
}

void CArchiveDlg::WatchCheck(const CTreeCtrl& tree, HTREEITEM item) {
    if (!item) {
        return;
    }
    const bool archiveTree = tree.hwnd() == trees_.archiveTree().hwnd();
    ::PostMessageA(hwnd(), kCheckChangedMessage, reinterpret_cast<WPARAM>(item),
                   MAKELPARAM(tree.Checked(item) ? 1 : 0, archiveTree ? 1 : 0));
}

void CArchiveDlg::OnCheckChanged(HTREEITEM item, bool wasChecked, bool archiveTree) {
    const CTreeCtrl& tree = archiveTree ? trees_.archiveTree() : trees_.mailboxTree();
    const bool checked = tree.Checked(item);
    // A key or click the tree did not act on leaves the rest alone too.
    if (checked != wasChecked) {
        trees_.PropagateCheck(tree, item, checked);
    }
}

bool CArchiveDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kCheckChangedMessage) {
        OnCheckChanged(reinterpret_cast<HTREEITEM>(wParam), LOWORD(lParam) != 0,
                       HIWORD(lParam) != 0);
        return true;
    }
    if (message == kKeyboardMenuMessage) {
        keyboardMenuPending_ = false;
        ShowContextMenu(reinterpret_cast<HWND>(wParam), -1);
        return true;
    }
    if (message == WM_CONTEXTMENU) {
        // Shift+F10 is answered once, from the tree's own key notice.
        if (lParam != -1 || !keyboardMenuPending_) {
            ShowContextMenu(reinterpret_cast<HWND>(wParam), lParam);
        }
        return true;
    }
    if (message == kArchiveChangedNotice) {
        if (!taskRunning_ && database_) {
            trees_.RefreshArchiveCounts(*database_);
            trees_.RefreshMailboxCounts();
        }
        return true;
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

void CArchiveDlg::ShowContextMenu(HWND treeWindow, LPARAM position) {
    const CTreeCtrl* tree = TreeOf(treeWindow);
    if (!tree || taskRunning_) {
        return;
    }
    ::SetFocus(tree->hwnd());
    if (position == -1) {
        // From the keyboard: at the selected item's caption.
        const HTREEITEM selected = tree->Selected();
        RECT rect = {};
        if (!selected || !tree->TextRect(selected, rect)) {
            return;
        }
        menuPosition_ = {rect.left, rect.top};
        ::ClientToScreen(tree->hwnd(), &menuPosition_);
        menuAtItem_ = true;
    } else {
        menuPosition_ = {static_cast<short>(LOWORD(position)),
                         static_cast<short>(HIWORD(position))};
        UINT flags = 0;
        const HTREEITEM item = tree->HitTest(menuPosition_, &flags);
        if (item && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON))) {
            tree->Select(item);
        }
    }
    const HMENU menu = tree == &trees_.mailboxTree() ? mailboxMenu_ : archiveMenu_;
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, menuPosition_.x, menuPosition_.y, 0,
                     hwnd(), nullptr);
    menuAtItem_ = false;
}

void CArchiveDlg::OpenMailboxItem() {
    const CTreeCtrl& tree = trees_.mailboxTree();
    const HTREEITEM item = tree.Selected();
    const MailboxItem* mailbox = trees_.Mailbox(item);
    if (!mailbox) {
        return;
    }
    if (mailbox->kind != kMailboxItem) {
        trees_.ShowFolderExpanded(tree, item, true);
        tree.Expand(item);
        return;
    }
    bool opened = false;
    try {
        const HostApplication host = HostApplication::Connect();
        long id = -1;
        FindHostMailboxByPath(host.Folders(), mailbox->path, id);
        if (id != -1) {
            host.FolderById(id).Open();
            opened = true;
        }
    } catch (const HostConnectError& failure) {
        ShowHostConnectFailure(failure);
    } catch (const HostError& failure) {
        ShowStandardErrorBox(failure.what());
    }
    if (opened) {
        // The user goes on in the host's own window.
        CloseSequence();
    }
}

void CArchiveDlg::OpenArchiveItem() {
    const CTreeCtrl& tree = trees_.archiveTree();
    const HTREEITEM item = tree.Selected();
    ArchiveItem* archive = trees_.Archive(item);
    if (!archive) {
        return;
    }
    const bool hadViewer = archive->viewer != nullptr;
    if (hadViewer) {
        BringForward(archive->viewer);
    }
    if (archive->kind != kMailboxItem || hadViewer) {
        trees_.ShowFolderExpanded(tree, item, true);
        tree.Expand(item);
        return;
    }
    if (!TableExists(connectionString_, archive->table) &&
        CreateMailboxTable(connectionString_, archive->table, archive->path) && database_ &&
        RefreshJetCache(database_->GetActiveConnection())) {
        ::Sleep(1000);
    }
    auto viewer =
        std::make_unique<CArchiveViewer>(hwnd(), archive->table, archive->name, connectionString_);
    if (viewer->Create() && viewer->hwnd()) {
        const HWND window = viewer->hwnd();
        ::ShowWindow(window, SW_SHOW);
        BringForward(window, false);
        openViewers_.push_back(window);
        viewers_.push_back(std::move(viewer));
        EnableItem(IDC_ARCHIVE, false);
        EnableItem(IDC_RESTORE, false);
        archive->viewer = window;
        tree.SetItemImage(item, tree_image::kArchiveViewed, tree_image::kArchiveViewed);
    }
}

void CArchiveDlg::OnViewerClosed(HWND viewer) {
    openViewers_.erase(std::remove(openViewers_.begin(), openViewers_.end(), viewer),
                       openViewers_.end());
    // The viewers whose windows are gone are let go.
    viewers_.erase(
        std::remove_if(viewers_.begin(), viewers_.end(),
                       [](const std::unique_ptr<CArchiveViewer>& open) { return !open->hwnd(); }),
        viewers_.end());
    if (const HTREEITEM item = trees_.FindArchiveByViewer(viewer)) {
        trees_.Archive(item)->viewer = nullptr;
        trees_.archiveTree().SetItemImage(item, tree_image::kArchive, tree_image::kArchive);
    }
    if (openViewers_.empty() && !taskRunning_) {
        EnableItem(IDC_ARCHIVE, true);
        EnableItem(IDC_RESTORE, true);
    }
}

void CArchiveDlg::SetProgress(int percent) {
    CProgressBar(Item(IDC_PROGRESS)).SetPos(percent);
}

bool CArchiveDlg::StopRequested() {
    PumpWaitingMessages();
    return stopRequested_;
}

void CArchiveDlg::EnableStop(bool enable) {
    EnableItem(IDC_STOP, enable);
}

void CArchiveDlg::ReloadLog() {
    if (log_) {
        log_->Reload();
    }
}
