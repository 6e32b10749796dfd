#include "ui/archive_viewer.h"

#include "db/ado_exception.h"
#include "db/archive_schema.h"
#include "db/stored_message.h"
#include "engine/restore_task.h"
#include "base/ansi_text.h"
#include "base/file_utils.h"
#include "base/message_box.h"
#include "base/message_pump.h"
#include "base/notice_cells.h"
#include "base/settings_keys.h"
#include "base/stowlark_app.h"
#include "base/window_utils.h"
#include "res/resource_ids.h"
#include "ui/icon_list.h"
#include "ui/message_page.h"
#include "ui/saved_messages.h"
#include "ui/utf8_text.h"
#include "ui/viewer_closed_notice.h"
#include "ui/window_ops.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr int kBarHeight = 7;
// The least height below the bar's top that the window keeps.
constexpr int kRoomUnderBarTop = 75;
constexpr int kMinWidth = 400;
constexpr int kMaxWidth = 4000;
constexpr int kMaxHeight = 2000;
constexpr int kMinPaneHeight = 50;
// Header images 0 and 1 mark the sorted column; each column's own icon
// follows.
constexpr int kFirstColumnImage = 2;
constexpr int kStatusCount = 11;
// Posted to itself after the list's selection changed.
constexpr UINT kSelectionChangedMessage = WM_APP + 1;
// Posted to itself for the menu key or Shift+F10 in the list.
constexpr UINT kListMenuMessage = WM_APP + 2;
// A search reads on from a posted notice while nothing else waits, and
// otherwise from a timer, whose turn comes after the keyboard's and the
// window's painting.
constexpr UINT_PTR kSearchTimer = 1;
constexpr UINT kSearchStepMessage = WM_APP + 3;
constexpr DWORD kSearchSliceMilliseconds = 40;
constexpr DWORD kSearchShowMilliseconds = 250;
constexpr int kFindHeight = 22;

std::string CountText(size_t count) {
    std::string digits = std::to_string(count);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<size_t>(at), ",");
    }
    return digits;
}

struct ColumnLayout {
    const char* caption;
    int format;
    const IntSetting& width;
};

const ColumnLayout kColumns[viewer_column::kCount] = {
    {"Sender", LVCFMT_LEFT, settings::kFromColumnWidth},
    {"Subject", LVCFMT_LEFT, settings::kSubjectColumnWidth},
    {"Recipients", LVCFMT_LEFT, settings::kToColumnWidth},
    {"Date", LVCFMT_RIGHT, settings::kDateColumnWidth},
    {"Size", LVCFMT_CENTER, settings::kSizeColumnWidth},
};

const std::string& SettingsFile() {
    return App().Context().settingsPath;
}

RECT ChildRectInClient(HWND parent, HWND child) {
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int PointsToPixels(int points) {
    const HDC screen = ::GetDC(nullptr);
    const int pixels = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

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
    const std::string& file = SettingsFile();
    ::SetWindowTextA(hwnd(), title_.c_str());
    SetBigIcon(hwnd(), ::LoadIconA(App().Instance(), MAKEINTRESOURCEA(IDI_VIEWER)));
    list_ = CListCtrl(Item(IDC_VIEWER_LIST));
    menu_.reset(::LoadMenuA(App().Instance(), MAKEINTRESOURCEA(IDM_VIEWER_MENU)));
    // Wide-character controls show, and take, texts of any script.
    ::SendMessageA(list_.hwnd(), LVM_SETUNICODEFORMAT, TRUE, 0);
    findEdit_ = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_VIEWER_FIND)), App().Instance(), nullptr);
    ::SendMessageA(findEdit_, WM_SETFONT, ::SendMessageA(hwnd(), WM_GETFONT, 0, 0), FALSE);
    OpenDatabase();
    InsertColumns();
    list_.SetExtendedStyle(~0u, 0);
    list_.SetExtendedStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

    statusImages_ = MakeIconList({IDI_STATUS_UNREAD, IDI_STATUS_READ, IDI_STATUS_REPLIED,
                                  IDI_STATUS_FORWARDED, IDI_STATUS_REDIRECTED,
                                  IDI_STATUS_UNSENDABLE, IDI_STATUS_DRAFT, IDI_STATUS_QUEUED,
                                  IDI_STATUS_SENT, IDI_STATUS_UNSENT, IDI_STATUS_TIME_QUEUED});
    list_.SetImageList(statusImages_.get(), LVSIL_SMALL);
    headerImages_ =
        MakeIconList({IDI_SORT_ASCENDING, IDI_SORT_DESCENDING, IDI_COLUMN_SENDER,
                      IDI_COLUMN_SUBJECT, IDI_COLUMN_RECIPIENTS, IDI_COLUMN_DATE, IDI_COLUMN_SIZE});
    const CHeaderCtrl header(list_.Header());
    header.SetImageList(headerImages_.get());
    headerFont_.reset(::CreateFontA(PointsToPixels(10), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma"));
    if (headerFont_) {
        ::SendMessageA(list_.Header(), WM_SETFONT, reinterpret_cast<WPARAM>(headerFont_.get()),
                       TRUE);
    }

    PluginContext& context = App().Context();
    context.viewerSortOrder = ReadSetting(settings::kGlobalSortOrder, file);
    context.viewerSortKey = ReadSetting(settings::kGlobalSortKey, file);
    FillList();
    Sort();

    splitter_.Attach(hwnd(), IDC_VIEWER_SPLITTER);
    splitter_.SetMinSizes(kMinPaneHeight, kMinPaneHeight);
    splitter_.AddAbove(IDC_VIEWER_LIST);
    splitter_.AddBelow(IDC_VIEWER_PREVIEW);
    splitter_.Relayout();
    barRect_ = ChildRectInClient(hwnd(), Item(IDC_VIEWER_SPLITTER));
    splitterTop_ = ReadSetting(settings::kViewerSplitterTop, file);
    // A bar out of reach could never be dragged back, and the height it
    // asks for could exceed the largest the window may have.
    if (splitterTop_ < 0 || splitterTop_ > kMaxHeight - kRoomUnderBarTop) {
        splitterTop_ = settings::kViewerSplitterTop.defaultValue;
    }
    minTrackHeight_ = splitterTop_ + kRoomUnderBarTop;

    preview_.Attach(hwnd(), IDC_VIEWER_PREVIEW);
    PreparePreviewFile();
    ApplySavedPlacement();
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

void CArchiveViewer::InsertColumns() {
    const std::string& file = SettingsFile();
    for (int column = 0; column < viewer_column::kCount; ++column) {
        const ColumnLayout& layout = kColumns[column];
        int width = ReadSetting(layout.width, file);
        // A width no screen holds would push the other columns out of reach.
        if (width < 0 || width > kMaxWidth) {
            width = layout.width.defaultValue;
        }
        list_.InsertColumn(column, layout.caption, layout.format, width);
    }
}

void CArchiveViewer::FillList() {
    bool complete = true;
    if (database_ && database_->IsOpen()) {
        rows_ = ReadViewerRows(*database_, tableName_, complete);
    }
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), 0);
    view_ = order_;
    // A search under way knows the rows as they were.
    ::KillTimer(hwnd(), kSearchTimer);
    search_.reset();
    foldedHeaders_.clear();
    rowByRowid_.clear();
    wordsFound_.assign(rows_.size(), allWords_);
    list_.SetItemCount(static_cast<int>(view_.size()));
    if (complete) {
        list_.Repaint();
    }
}

void CArchiveViewer::Sort() {
    const PluginContext& context = App().Context();
    SortViewerRows(rows_, order_, context.viewerSortKey, context.viewerSortOrder);
    ShowView();
    ShowSortIndicators();
}

void CArchiveViewer::ShowView() {
    // The rows keep their marks through a sort or a search, as rows of a
    // list that holds its own items would.
    std::vector<int> selected;
    for (int index = list_.NextSelected(-1); index >= 0; index = list_.NextSelected(index)) {
        if (index < static_cast<int>(view_.size())) {
            selected.push_back(view_[index]);
        }
    }
    const int focused = list_.NextFocused();
    const int focusedRow =
        focused >= 0 && focused < static_cast<int>(view_.size()) ? view_[focused] : -1;
    const bool hadMarks = !selected.empty() || focusedRow >= 0;
    const size_t selectedBefore = selected.size();

    if (words_.empty()) {
        view_ = order_;
    } else {
        view_.clear();
        for (const int row : order_) {
            if (Matches(row)) {
                view_.push_back(row);
            }
        }
    }
    const bool countChanged = list_.ItemCount() != static_cast<int>(view_.size());
    if (countChanged) {
        restoringSelection_ = true;
        list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        list_.SetItemCount(static_cast<int>(view_.size()));
        restoringSelection_ = false;
    }

    std::vector<int> position(rows_.size(), -1);
    for (size_t i = 0; i < view_.size(); ++i) {
        position[view_[i]] = static_cast<int>(i);
    }
    selected.erase(std::remove_if(selected.begin(), selected.end(),
                                  [&](int row) { return position[row] < 0; }),
                   selected.end());
    const bool focusShown = focusedRow >= 0 && position[focusedRow] >= 0;
    if (hadMarks) {
        restoringSelection_ = true;
        // Drawn once at the end, not once for every row marked again.
        ::SendMessageA(list_.hwnd(), WM_SETREDRAW, FALSE, 0);
        list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        if (selected.size() == view_.size()) {
            list_.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        } else {
            for (const int row : selected) {
                list_.SetItemState(position[row], LVIS_SELECTED, LVIS_SELECTED);
            }
        }
        if (focusShown) {
            list_.SetItemState(position[focusedRow], LVIS_FOCUSED, LVIS_FOCUSED);
        }
        ::SendMessageA(list_.hwnd(), WM_SETREDRAW, TRUE, 0);
        if (focusShown) {
            list_.EnsureVisible(position[focusedRow]);
        }
        restoringSelection_ = false;
    }
    ::InvalidateRect(list_.hwnd(), nullptr, TRUE);
    if (selected.size() != selectedBefore) {
        // Rows that left the list took their marks with them.
        OnListChanged();
    }
    ShowSearchCaption();
}

void CArchiveViewer::ShowSortIndicators() const {
    const CHeaderCtrl header(list_.Header());
    const PluginContext& context = App().Context();
    for (int column = 0; column < viewer_column::kCount; ++column) {
        // A header item's alignment is its column's: dates stay right and
        // sizes centred under their captions.
        const int format = HDF_STRING | HDF_IMAGE | (header.ItemFormat(column) & HDF_JUSTIFYMASK);
        int image = kFirstColumnImage + column;
        if (column == context.viewerSortKey) {
            // Any order but descending sorts ascending, and shows so.
            image = context.viewerSortOrder == 1 ? 1 : 0;
        }
        header.SetItemFormatAndImage(column, format, image);
    }
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
    if (list_.SelectedCount() == 0) {
        if (FileExists(previewPath_)) {
            ShowPlaceholder();
        }
        return;
    }
    ShowSelection();
}

LRESULT CArchiveViewer::FindRow(const std::wstring& text, UINT flags, int start) const {
    const int count = static_cast<int>(view_.size());
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || count == 0) {
        return -1;
    }
    const bool partial = (flags & LVFI_PARTIAL) != 0;
    if (start < 0 || start >= count) {
        start = 0;
    }
    for (int step = 0; step < count; ++step) {
        int index = start + step;
        if (index >= count) {
            if (!(flags & LVFI_WRAP)) {
                return -1;
            }
            index -= count;
        }
        // Typing finds rows by the text the first column shows.
        const std::string_view sender = rows_[view_[index]].TextView(ViewerText::kFrom);
        if (BeginsIgnoringCase(sender, text) &&
            (partial || CompareUtf8IgnoringCase(sender, Utf8FromWide(text)) == 0)) {
            return index;
        }
    }
    return -1;
}

void CArchiveViewer::ProvideCell(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    const ViewerRow* row = RowAt(item.iItem);
    if (!row) {
        return;
    }
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring text = WideFromUtf8(ViewerCellText(*row, item.iSubItem));
        const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(text.data(), length, item.pszText);
        item.pszText[length] = L'\0';
    }
    if (item.mask & LVIF_IMAGE) {
        item.iImage = item.iSubItem == 0 && row->status >= 0 && row->status < kStatusCount
                          ? row->status
                          : I_IMAGENONE;
    }
}

LRESULT CArchiveViewer::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != list_.hwnd()) {
        return 0;
    }
    switch (header.code) {
    case LVN_GETDISPINFOW:
        ProvideCell(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)));
        break;
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
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
        const bool shift = ::GetKeyState(VK_SHIFT) < 0;
        // Answered once, from a posted notice, whatever else the list sends.
        if ((key == VK_APPS || (key == VK_F10 && shift)) && !keyboardMenuPending_) {
            keyboardMenuPending_ = ::PostMessageA(hwnd(), kListMenuMessage, 0, 0) != FALSE;
        }
        break;
    }
    case LVN_ODFINDITEMA: {
        const auto& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
        return find.lvfi.psz ? FindRow(WideFromAnsi(find.lvfi.psz), find.lvfi.flags, find.iStart)
                             : -1;
    }
    case LVN_ODFINDITEMW: {
        const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
        return find.lvfi.psz ? FindRow(find.lvfi.psz, find.lvfi.flags, find.iStart) : -1;
    }
    default:
        break;
    }
    return 0;
}

bool CArchiveViewer::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            Layout();
        }
        return false;
    case WM_GETMINMAXINFO: {
        auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
        limits.ptMinTrackSize = {kMinWidth, minTrackHeight_};
        limits.ptMaxTrackSize = {kMaxWidth, kMaxHeight};
        return true;
    }
    case kSelectionChangedMessage:
        selectionChangePending_ = false;
        ShowSelectionChange();
        return true;
    case WM_TIMER:
        if (wParam == kSearchTimer) {
            ContinueSearch();
            return true;
        }
        return false;
    case kSearchStepMessage:
        ContinueSearch();
        return true;
    case kListMenuMessage:
        keyboardMenuPending_ = false;
        ShowListMenu(-1);
        return true;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == list_.hwnd() &&
            (lParam != -1 || !keyboardMenuPending_)) {
            ShowListMenu(lParam);
        }
        return true;
    case WM_ENDSESSION:
        // The process may end before the window is destroyed.
        if (wParam && !saved_) {
            Save();
        }
        return false;
    case kSplitterMovedMessage:
        barRect_ = ChildRectInClient(hwnd(), Item(IDC_VIEWER_SPLITTER));
        minTrackHeight_ = barRect_.top + kRoomUnderBarTop;
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
        if (taskRunning_ && stopEnabled_) {
            stopRequested_ = true;
        } else if (!taskRunning_ && message.hwnd == findEdit_) {
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
        SelectAll();
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

void CArchiveViewer::Layout() {
    const HWND bar = Item(IDC_VIEWER_SPLITTER);
    const HWND pane = Item(IDC_VIEWER_PREVIEW);
    if (!list_.hwnd() || !bar || !pane) {
        return;
    }
    ++sizeCount_;
    RECT client = {};
    ::GetClientRect(hwnd(), &client);
    // The find field, when shown, takes the top; the list keeps what is
    // left above the bar.
    if (findEdit_ && ::IsWindowVisible(findEdit_)) {
        ::MoveWindow(findEdit_, client.left, client.top, client.right - client.left, kFindHeight,
                     TRUE);
        client.top += kFindHeight;
    }
    if (sizeCount_ == 1) {
        barRect_.top = splitterTop_;
        barRect_.bottom = splitterTop_ + kBarHeight;
    }
    const int width = client.right - client.left;
    const int paneHeight = std::max(0, static_cast<int>(client.bottom - barRect_.bottom));
    ::MoveWindow(bar, client.left, barRect_.top, width, kBarHeight, TRUE);
    ::MoveWindow(list_.hwnd(), client.left, client.top, width,
                 std::max(0, static_cast<int>(barRect_.top - client.top)), TRUE);
    // Until the bar moves below the field, the field covers nothing: the
    // list has no height.
    ::MoveWindow(pane, client.left, barRect_.bottom, width, paneHeight, TRUE);
    // Only the parts a move uncovers are repainted, and the list's header
    // and border are drawn to the width they had: shrunk or grown, they
    // would keep lines of the old width. The list is drawn afresh whole.
    ::RedrawWindow(list_.hwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CArchiveViewer::ApplySavedPlacement() {
    const std::string& file = SettingsFile();
    state_ = ReadSetting(settings::kViewerState, file);
    left_ = ReadSetting(settings::kViewerLeft, file);
    width_ = ReadSetting(settings::kViewerWidth, file);
    top_ = ReadSetting(settings::kViewerTop, file);
    height_ = ReadSetting(settings::kViewerHeight, file);
    ::MoveWindow(hwnd(), left_, top_, width_, height_, TRUE);
    // A place saved on a screen that is gone would leave the window out of
    // sight.
    const POINT place = KeptOnScreen(hwnd(), {left_, top_});
    if (place.x != left_ || place.y != top_) {
        ::SetWindowPos(hwnd(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    // A saved size the window already had sends no size notice.
    if (sizeCount_ == 0) {
        Layout();
    }
    if (state_ == 1) {
        ::ShowWindow(hwnd(), SW_MINIMIZE);
    } else if (state_ == 2) {
        ::ShowWindow(hwnd(), SW_MAXIMIZE);
    }
}

void CArchiveViewer::OnClose() {
    const PluginContext& context = App().Context();
    // The restore runs inside this window.
    if (taskRunning_) {
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
    if (!previewPath_.empty()) {
        ::DeleteFileA(previewPath_.c_str());
    }
    const std::string& file = SettingsFile();
    for (int column = 0; column < viewer_column::kCount; ++column) {
        WriteSetting(kColumns[column].width, list_.ColumnWidth(column), file);
    }
    RECT rect = {};
    ::GetWindowRect(hwnd(), &rect);
    if (::IsZoomed(hwnd())) {
        state_ = 2;
    } else if (::IsIconic(hwnd())) {
        state_ = 1;
    } else {
        // Only a normal window's place is worth keeping: a minimised or
        // maximised one keeps the place it opened with.
        state_ = 0;
        left_ = rect.left;
        top_ = rect.top;
        width_ = rect.right - rect.left;
        height_ = rect.bottom - rect.top;
    }
    WriteSetting(settings::kViewerState, state_, file);
    WriteSetting(settings::kViewerLeft, left_, file);
    WriteSetting(settings::kViewerWidth, width_, file);
    WriteSetting(settings::kViewerTop, top_, file);
    WriteSetting(settings::kViewerHeight, height_, file);
    barRect_ = ChildRectInClient(hwnd(), Item(IDC_VIEWER_SPLITTER));
    splitterTop_ = barRect_.top;
    WriteSetting(settings::kViewerSplitterTop, splitterTop_, file);
}

void CArchiveViewer::PreparePreviewFile() {
    previewPath_ = MakeFilePath(TempDirectory(), "preview", "htm", true, false);
    ShowPlaceholder();
}

void CArchiveViewer::ShowPlaceholder() {
    pageText_.clear();
    LoadTextResource(IDR_PLACEHOLDER_PAGE, RT_PAGE_TEXT, pageText_);
    ShowPage(std::string());
}

void CArchiveViewer::ShowSelection() {
    pageText_.clear();
    const ViewerRow* row = RowAt(list_.NextSelected(-1));
    if (!row) {
        return;
    }
    if (list_.SelectedCount() != 1) {
        ShowPlaceholder();
        return;
    }
    std::string pageTemplate;
    LoadTextResource(IDR_MESSAGE_TEMPLATE, RT_PAGE_TEXT, pageTemplate);
    const std::string message = FetchMessageText(*row);
    pageText_ = PageBytes(ComposeMessagePage(std::move(pageTemplate), *row, PreviewBody(message)));
    ShowPage(PlainMessageText(*row, message));
}

void CArchiveViewer::ShowPage(const std::string& plainText) {
    // A page that could not be written leaves the last one showing.
    if (!previewPath_.empty() && WriteWholeFile(previewPath_, pageText_)) {
        preview_.Navigate(previewPath_, plainText);
    }
}

std::string CArchiveViewer::FetchMessageText(const ViewerRow& row) {
    if (!database_ || !database_->IsOpen()) {
        return std::string();
    }
    try {
        return ReadStoredMessage(*database_, tableName_, row.rowid(), row.id).ShownUtf8();
    } catch (const CADOException&) {
        // The header block still shows which message it was.
        return std::string();
    }
}

void CArchiveViewer::OnCommand(int id, int notifyCode, HWND /*control*/) {
    switch (id) {
    case ID_VIEWER_RESTORE:
        RestoreSelected(false);
        break;
    case ID_VIEWER_RESTORE_REMOVE:
        RestoreSelected(true);
        break;
    case ID_VIEWER_SELECT_ALL:
        SelectAll();
        break;
    case ID_VIEWER_FIND:
        ShowFind();
        break;
    case ID_VIEWER_SAVE_AS:
        SaveSelectedAs();
        break;
    case IDC_VIEWER_FIND:
        if (notifyCode == EN_CHANGE) {
            StartSearch();
        }
        break;
    default:
        break;
    }
}

void CArchiveViewer::ShowListMenu(LPARAM position) {
    const HMENU menu = ::GetSubMenu(menu_.get(), 0);
    if (!menu) {
        return;
    }
    POINT at = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == -1) {
        // From the keyboard: at the focused row, or the list's corner.
        RECT rect = {};
        const int focused = list_.NextFocused();
        if (focused < 0 || !ListView_GetItemRect(list_.hwnd(), focused, &rect, LVIR_LABEL)) {
            rect = {};
        }
        at = {rect.left, rect.bottom};
        ::ClientToScreen(list_.hwnd(), &at);
    }
    const bool busy = taskRunning_ || App().Context().viewerTaskRunning;
    const UINT restoreState = !busy && list_.SelectedCount() > 0 ? MF_ENABLED : MF_GRAYED;
    ::EnableMenuItem(menu, ID_VIEWER_RESTORE, MF_BYCOMMAND | restoreState);
    ::EnableMenuItem(menu, ID_VIEWER_RESTORE_REMOVE, MF_BYCOMMAND | restoreState);
    ::EnableMenuItem(menu, ID_VIEWER_SAVE_AS, MF_BYCOMMAND | restoreState);
    ::EnableMenuItem(menu, ID_VIEWER_SELECT_ALL,
                     MF_BYCOMMAND | (!busy && !view_.empty() ? MF_ENABLED : MF_GRAYED));
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
}

void CArchiveViewer::SelectAll() {
    if (!taskRunning_ && !view_.empty()) {
        list_.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    }
}

std::vector<long long> CArchiveViewer::SelectedBookmarks() const {
    std::vector<long long> bookmarks;
    for (int index = list_.NextSelected(-1); index >= 0; index = list_.NextSelected(index)) {
        const ViewerRow* row = RowAt(index);
        if (!row || !row->rowid()) {
            return {};
        }
        bookmarks.push_back(*row->rowid());
    }
    return bookmarks;
}

void CArchiveViewer::RestoreSelected(bool remove) {
    PluginContext& context = App().Context();
    if (taskRunning_ || context.viewerTaskRunning || list_.SelectedCount() == 0 || !database_ ||
        !database_->IsOpen()) {
        return;
    }
    const std::vector<long long> bookmarks = SelectedBookmarks();
    if (bookmarks.empty()) {
        ShowStandardErrorBox("The rows of this archive cannot be told apart one by one, so only a "
                             "restore of the whole archive from the main dialog can bring them "
                             "back.");
        return;
    }
    taskRunning_ = true;
    context.viewerTaskRunning = true;
    stopRequested_ = false;
    stopEnabled_ = true;
    SetProgress(100);

    StagingFiles staging{context.hostDataDir + "\\Pending.mbx",
                         context.hostDataDir + "\\Pending.toc"};
    RestoreTask task(*database_, staging, context.logPath, *this);
    const int restored = task.runRows(tableName_, bookmarks, remove);

    taskRunning_ = false;
    context.viewerTaskRunning = false;
    ::SetWindowTextA(hwnd(), title_.c_str());
    if (remove) {
        // The rows that went leave the list; what is left is read anew.
        list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        FillList();
        Sort();
        if (!words_.empty()) {
            StartSearch();
        }
        ShowSelectionChange();
    }
    ShowSearchCaption();
    if (restored > 0 && context.mainDialogWindow) {
        ::PostMessageA(context.mainDialogWindow, kArchiveChangedNotice, 0, 0);
    }
}

void CArchiveViewer::SetProgress(int percent) {
    // Both the staging and the moves count down what is left.
    const int done = 100 - std::max(0, std::min(100, percent));
    ::SetWindowTextA(
        hwnd(), (title_ + " \x97 Restoring " + std::to_string(done) + "% (Esc stops)").c_str());
}

bool CArchiveViewer::StopRequested() {
    PumpWaitingMessages();
    return stopRequested_;
}

void CArchiveViewer::EnableStop(bool enable) {
    stopEnabled_ = enable;
}

bool CArchiveViewer::Undecided(int row) const {
    const std::optional<long long> rowid = rows_[row].rowid();
    return search_ && rowid && *rowid > search_->readUpTo();
}

void CArchiveViewer::ShowFind() {
    if (!findEdit_ || taskRunning_) {
        return;
    }
    if (!::IsWindowVisible(findEdit_)) {
        ::ShowWindow(findEdit_, SW_SHOW);
        Layout();
    }
    ::SetFocus(findEdit_);
    ::SendMessageA(findEdit_, EM_SETSEL, 0, -1);
}

void CArchiveViewer::HideFind() {
    // An empty field shows every row again.
    ::SetWindowTextA(findEdit_, "");
    ::ShowWindow(findEdit_, SW_HIDE);
    Layout();
    ::SetFocus(list_.hwnd());
}

void CArchiveViewer::StartSearch() {
    ::KillTimer(hwnd(), kSearchTimer);
    search_.reset();
    words_ = SearchWords(WindowTextUtf8(findEdit_));
    allWords_ = words_.size() >= 32 ? 0xFFFFFFFFu : (1u << words_.size()) - 1;
    if (words_.empty()) {
        wordsFound_.assign(rows_.size(), allWords_);
        ShowView();
        return;
    }
    if (foldedHeaders_.size() != rows_.size()) {
        foldedHeaders_.clear();
        rowByRowid_.clear();
        for (size_t row = 0; row < rows_.size(); ++row) {
            const ViewerRow& r = rows_[row];
            foldedHeaders_.push_back(
                folder_.FoldUtf8(r.from() + "\n" + r.subject() + "\n" + r.to() + "\n" + r.date()));
            if (const std::optional<long long> rowid = r.rowid()) {
                rowByRowid_[*rowid] = static_cast<int>(row);
            }
        }
    }
    std::vector<std::string> folded;
    for (const std::string& word : words_) {
        folded.push_back(folder_.FoldUtf8(word));
    }
    wordsFound_.assign(rows_.size(), 0);
    bool readTexts = false;
    for (size_t row = 0; row < rows_.size(); ++row) {
        uint32_t found = 0;
        for (size_t w = 0; w < folded.size(); ++w) {
            if (foldedHeaders_[row].find(folded[w]) != std::string::npos) {
                found |= 1u << w;
            }
        }
        wordsFound_[row] = found;
        readTexts = readTexts || (found != allWords_ && rows_[row].rowid().has_value());
    }
    if (readTexts && database_ && database_->IsOpen()) {
        search_ = std::make_unique<MessageSearch>(*database_, tableName_, words_, folder_);
        lastShown_ = ::GetTickCount();
        ::SetTimer(hwnd(), kSearchTimer, 0, nullptr);
    }
    ShowView();
}

void CArchiveViewer::ContinueSearch() {
    ::KillTimer(hwnd(), kSearchTimer);
    if (!search_) {
        return;
    }
    const auto wanted = [this](long long rowid) {
        const auto row = rowByRowid_.find(rowid);
        return row != rowByRowid_.end() && wordsFound_[row->second] != allWords_;
    };
    const DWORD start = ::GetTickCount();
    bool more = true;
    do {
        more = search_->Step(256, wanted);
        for (const auto& [rowid, found] : search_->TakeFound()) {
            const auto row = rowByRowid_.find(rowid);
            if (row != rowByRowid_.end()) {
                wordsFound_[row->second] |= found;
            }
        }
    } while (more && ::GetTickCount() - start < kSearchSliceMilliseconds);
    if (!more) {
        search_.reset();
    }
    // The rows read and found wanting leave the list, a few times a second
    // and drawn at once: a posted notice goes before painting.
    if (!more || ::GetTickCount() - lastShown_ >= kSearchShowMilliseconds) {
        lastShown_ = ::GetTickCount();
        ShowView();
        ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    if (more && (HIWORD(::GetQueueStatus(QS_INPUT)) != 0 ||
                 !::PostMessageA(hwnd(), kSearchStepMessage, 0, 0))) {
        ::SetTimer(hwnd(), kSearchTimer, 0, nullptr);
    }
}

void CArchiveViewer::ShowSearchCaption() {
    // A restore shows its progress there.
    if (taskRunning_) {
        return;
    }
    std::string caption = title_;
    if (!words_.empty()) {
        const size_t found = static_cast<size_t>(std::count_if(
            view_.begin(), view_.end(), [this](int row) { return wordsFound_[row] == allWords_; }));
        caption += " \x97 " + CountText(found) + " of " + CountText(rows_.size());
        if (search_) {
            caption += " \x85";
        }
    }
    ::SetWindowTextA(hwnd(), caption.c_str());
}

void CArchiveViewer::SaveSelectedAs() {
    const int count = list_.SelectedCount();
    if (taskRunning_ || count == 0) {
        return;
    }
    const ViewerRow* first = RowAt(list_.NextSelected(-1));
    std::string name =
        SanitizeFileName(count == 1 && first ? Utf8ToAnsi(first->subject()) : title_);
    if (name.empty()) {
        name = count == 1 ? "Message" : "Messages";
    }
    // One message may go alone as it was received; several only as a
    // mailbox the host can open.
    static const char kOneFilter[] = "Message (*.eml)\0*.eml\0Mailbox (*.mbx)\0*.mbx\0";
    static const char kManyFilter[] = "Mailbox (*.mbx)\0*.mbx\0";
    char path[MAX_PATH] = {};
    name.copy(path, std::min(name.size(), static_cast<size_t>(MAX_PATH - 5)));
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd();
    dialog.lpstrFilter = count == 1 ? kOneFilter : kManyFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = count == 1 ? "eml" : "mbx";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!::GetSaveFileNameA(&dialog)) {
        return;
    }
    const std::string chosen = path;
    const bool mailbox =
        count > 1 || dialog.nFilterIndex == 2 ||
        (chosen.size() >= 4 && ::lstrcmpiA(chosen.c_str() + chosen.size() - 4, ".mbx") == 0);
    SaveSelected(chosen, mailbox);
}

bool CArchiveViewer::SaveSelected(const std::string& path, bool asMailbox) {
    if (!database_ || !database_->IsOpen()) {
        return false;
    }
    std::vector<const ViewerRow*> rows;
    for (int index = list_.NextSelected(-1); index >= 0; index = list_.NextSelected(index)) {
        if (const ViewerRow* row = RowAt(index)) {
            rows.push_back(row);
        }
    }
    return SaveArchivedMessages(*database_, tableName_, rows, path, asMailbox);
}
