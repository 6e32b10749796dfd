#include "ui/archive_viewer.h"

#include "db/ado_exception.h"
#include "db/stored_message.h"
#include "base/ansi_text.h"
#include "base/message_box.h"
#include "base/settings_keys.h"
#include "base/stowlark_app.h"
#include "base/window_utils.h"
#include "res/resource_ids.h"
#include "ui/list_marks.h"
#include "ui/viewer_attachments.h"
#include "ui/viewer_closed_notice.h"
#include "ui/window_ops.h"

#include <numeric>

namespace {

// Posted to itself after the list's selection changed.
constexpr UINT kSelectionChangedMessage = WM_APP + 1;

} // namespace

CArchiveViewer::CArchiveViewer(HWND owner, std::string tableName, std::string title,
                               std::string connectionString)
    : CDialog(IDD_VIEWER, owner), tableName_(std::move(tableName)), title_(std::move(title)),
      connectionString_(std::move(connectionString)) {}

CArchiveViewer::~CArchiveViewer() {
    // A window still open when its owner lets go still keeps what the user set.
    if (hwnd() && !saved_) {
        Save();
    }
}

const ViewerRow* CArchiveViewer::RowAt(int index) const {
    if (index < 0 || index >= static_cast<int>(view_.size())) {
        return nullptr;
    }
    return &rows_[view_[index]];
}

bool CArchiveViewer::OnInitDialog() {
    const std::string& file = App().Context().settingsPath;
    ::SetWindowTextA(hwnd(), title_.c_str());
    SetBigIcon(hwnd(), ::LoadIconA(App().Instance(), MAKEINTRESOURCEA(IDI_VIEWER)));
    list_ = CListCtrl(Item(IDC_VIEWER_LIST));
    tasks_.Attach(hwnd());
    // Wide-character controls show, and take, texts of any script.
    ::SendMessageA(list_.hwnd(), LVM_SETUNICODEFORMAT, TRUE, 0);
    find_.Create(hwnd(), IDC_VIEWER_FIND);
    OpenDatabase();
    columns_.Attach(list_);

    PluginContext& context = App().Context();
    context.viewerSortOrder = ReadSetting(settings::kGlobalSortOrder, file);
    context.viewerSortKey = ReadSetting(settings::kGlobalSortKey, file);
    FillList();
    Sort();

    placement_.Attach(hwnd(), find_.field(), list_.hwnd(), IDC_VIEWER_SPLITTER, IDC_VIEWER_PREVIEW);
    preview_.Attach(hwnd(), IDC_VIEWER_PREVIEW);
    placement_.Apply();
    return true;
}

void CArchiveViewer::OpenDatabase() {
    database_ = std::make_unique<CADODatabase>();
    database_->SetConnection(connectionString_);
    try {
        database_->Open();
    } catch (const CADOException& error) {
        // The list stays empty; one box says why.
        ShowStandardErrorBox(error.GetErrorMessage());
    }
}

CADODatabase* CArchiveViewer::Archive() {
    return database_ && database_->IsOpen() ? database_.get() : nullptr;
}

void CArchiveViewer::FillList() {
    bool complete = true;
    if (CADODatabase* database = Archive()) {
        rows_ = ReadViewerRows(*database, tableName_, complete);
    }
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), 0);
    view_ = order_;
    find_.Forget();
    list_.SetItemCount(static_cast<int>(view_.size()));
    if (complete) {
        list_.Repaint();
    }
}

void CArchiveViewer::Sort() {
    const PluginContext& context = App().Context();
    SortViewerRows(rows_, order_, context.viewerSortKey, context.viewerSortOrder);
    ShowView();
    columns_.ShowSortMark(context.viewerSortKey, context.viewerSortOrder);
}

void CArchiveViewer::ShowView() {
    ListMarks marks = ListMarks::Take(list_, view_);
    if (find_.narrowing()) {
        view_.clear();
        for (const int row : order_) {
            if (find_.Matches(row)) {
                view_.push_back(row);
            }
        }
    } else {
        view_ = order_;
    }
    restoringSelection_ = true;
    const bool marksLost = marks.PutBack(list_, view_, rows_.size());
    restoringSelection_ = false;
    ::InvalidateRect(list_.hwnd(), nullptr, TRUE);
    if (marksLost) {
        // Rows that left the list took their marks with them.
        OnListChanged();
    }
    ShowCaption();
}

void CArchiveViewer::OnColumnClick(int column) {
    PluginContext& context = App().Context();
    context.viewerSortOrder = context.viewerSortOrder != 0 ? 0 : 1;
    context.viewerSortKey = column;
    Sort();
}

void CArchiveViewer::OnListChanged() {
    // One click changes two rows, the one that lost its mark and the one
    // that gained it; the pane shows the outcome once, so the page file is
    // not rewritten while the browser may still be reading the page before.
    if (restoringSelection_ || selectionChangePending_) {
        return;
    }
    selectionChangePending_ = ::PostMessageA(hwnd(), kSelectionChangedMessage, 0, 0) != FALSE;
    if (!selectionChangePending_) {
        ShowSelectionChange();
    }
}

void CArchiveViewer::ShowSelectionChange() {
    if (saved_) {
        return;
    }
    const int count = list_.SelectedCount();
    if (count == 0) {
        preview_.ShowNothing();
        return;
    }
    preview_.Forget();
    const ViewerRow* row = RowAt(list_.NextSelected(-1));
    if (!row) {
        return;
    }
    if (count != 1) {
        preview_.ShowPlaceholder();
        return;
    }
    CADODatabase* database = Archive();
    preview_.ShowMessage(*row, FetchMessageText(*row),
                         database ? KeptFilesOf(*database, tableName_, *row)
                                  : std::vector<KeptFile>());
}

std::string CArchiveViewer::FetchMessageText(const ViewerRow& row) {
    CADODatabase* database = Archive();
    if (!database) {
        return std::string();
    }
    try {
        return ReadStoredMessage(*database, tableName_, row.rowid(), row.id).ShownUtf8();
    } catch (const CADOException&) {
        // The header block still shows which message it was.
        return std::string();
    }
}

LRESULT CArchiveViewer::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != list_.hwnd()) {
        return 0;
    }
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
        ProvideViewerCell(info, RowAt(info.item.iItem));
        break;
    }
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        // Only a row gaining or losing its mark changes what the pane shows.
        if ((change.uChanged & LVIF_STATE) &&
            ((change.uOldState ^ change.uNewState) & LVIS_SELECTED)) {
            OnListChanged();
        }
        break;
    }
    case LVN_ODSTATECHANGED: {
        const auto& change = reinterpret_cast<const NMLVODSTATECHANGE&>(header);
        if ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) {
            OnListChanged();
        }
        break;
    }
    case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        break;
    case LVN_KEYDOWN:
        tasks_.OnListKey(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
        break;
    case LVN_ODFINDITEMA: {
        const auto& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
        return find.lvfi.psz ? FindTypedRow(rows_, view_, WideFromAnsi(find.lvfi.psz),
                                            find.lvfi.flags, find.iStart)
                             : -1;
    }
    case LVN_ODFINDITEMW: {
        const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
        return find.lvfi.psz
                   ? FindTypedRow(rows_, view_, find.lvfi.psz, find.lvfi.flags, find.iStart)
                   : -1;
    }
    default:
        break;
    }
    return 0;
}

bool CArchiveViewer::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (find_.IsTurn(message, wParam)) {
        ContinueSearch();
        return true;
    }
    if (tasks_.OnMessage(message, wParam, lParam)) {
        return true;
    }
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            placement_.Layout();
        }
        return false;
    case WM_GETMINMAXINFO:
        placement_.Limit(*reinterpret_cast<MINMAXINFO*>(lParam));
        return true;
    case kSelectionChangedMessage:
        selectionChangePending_ = false;
        ShowSelectionChange();
        return true;
    case WM_ENDSESSION:
        // The process may end before the window is destroyed.
        if (wParam && !saved_) {
            Save();
        }
        return false;
    case kSplitterMovedMessage:
        placement_.OnBarMoved();
        result = 1;
        return true;
    case WM_DESTROY:
        // The owner going takes this window with it, without a close
        // request: what the user set is kept all the same.
        if (!saved_) {
            Save();
        }
        return false;
    default:
        return false;
    }
}

bool CArchiveViewer::PreTranslateMessage(MSG& message) {
    // Escape closes nothing here; during a restore it asks it to stop.
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        if (!tasks_.OnEscape() && message.hwnd == find_.field()) {
            HideFind();
        }
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == 'F' && ::GetKeyState(VK_CONTROL) < 0) {
        ShowFind();
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == 'A' && ::GetKeyState(VK_CONTROL) < 0 &&
        message.hwnd == list_.hwnd()) {
        tasks_.SelectAll();
        return true;
    }
    // A page with the keyboard moves, scrolls and copies by its own keys.
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST &&
        preview_.TranslateKeyboard(message)) {
        return true;
    }
    // No default button: Enter belongs to the control that has the keyboard.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        return false;
    }
    return CDialog::PreTranslateMessage(message);
}

void CArchiveViewer::OnCommand(int id, int notifyCode, HWND /*control*/) {
    if (tasks_.OnCommand(id)) {
        return;
    }
    if (id == ID_VIEWER_FIND) {
        ShowFind();
    } else if (id == IDC_VIEWER_FIND && notifyCode == EN_CHANGE) {
        StartSearch();
    }
}

void CArchiveViewer::ShowCaption() {
    // A restore shows its progress there.
    if (tasks_.running()) {
        return;
    }
    ::SetWindowTextA(hwnd(), (title_ + find_.CountText(view_)).c_str());
}

void CArchiveViewer::ReadRowsAgain() {
    list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    FillList();
    Sort();
    if (find_.narrowing()) {
        StartSearch();
    }
    ShowSelectionChange();
}

void CArchiveViewer::OnClose() {
    const PluginContext& context = App().Context();
    // The restore runs inside this window.
    if (tasks_.running()) {
        return;
    }
    if (context.mainDialogWindow) {
        PostViewerClosed(context.mainDialogWindow, hwnd());
    }
    Save();
    ::ShowWindow(hwnd(), SW_MINIMIZE);
    EndDialog(IDCANCEL);
}

void CArchiveViewer::Save() {
    saved_ = true;
    if (database_) {
        RefreshJetCache(database_->GetActiveConnection());
        database_->Close();
        database_.reset();
    }
    // The browser lets go of the page file before it is deleted.
    preview_.Close();
    columns_.SaveWidths();
    placement_.Save();
}
