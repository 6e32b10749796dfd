#include "ui/find_window.h"

#include "db/ado_database.h"
#include "base/ansi_text.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "ui/count_text.h"
#include "ui/utf8_text.h"
#include "ui/window_ops.h"

#include <algorithm>

namespace {

// The words are looked up once the typing pauses.
constexpr UINT_PTR kTypingTimer = 1;
constexpr UINT kTypingMilliseconds = 150;
// While a task changes the archive, a search waits and looks again.
constexpr UINT kTaskWaitMilliseconds = 250;

struct ColumnLayout {
    const char* caption;
    int format;
    int width;
};
constexpr ColumnLayout kColumns[find_column::kCount] = {{"Archive", LVCFMT_LEFT, 90},
                                                        {"Sender", LVCFMT_LEFT, 130},
                                                        {"Subject", LVCFMT_LEFT, 170},
                                                        {"Date", LVCFMT_RIGHT, 120},
                                                        {"Size", LVCFMT_CENTER, 50}};

std::string MessagesText(long long count) {
    return GroupedDigits(count) + (count == 1 ? " message" : " messages");
}

} // namespace

CFindWindow::CFindWindow(HWND owner, FindWindowOwner& dialog, std::string archivePath,
                         std::string connectionString)
    : CDialog(IDD_FIND, owner), dialog_(dialog), connectionString_(std::move(connectionString)),
      index_(std::move(archivePath)),
      results_(index_, [this](const std::string& table) { return dialog_.ArchiveName(table); }),
      keeper_(index_, [this] { dialog_.LogWritten(); }) {}

CFindWindow::~CFindWindow() {
    if (database_) {
        database_->Close();
    }
}

bool CFindWindow::OnInitDialog() {
    SetBigIcon(hwnd(), ::LoadIconA(App().Instance(), MAKEINTRESOURCEA(IDI_VIEWER)));
    // Wide-character controls show, and take, texts of any script.
    field_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0,
                               hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FIND_TEXT)),
                               App().Instance(), nullptr);
    ::SendMessageA(field_, WM_SETFONT, ::SendMessageA(hwnd(), WM_GETFONT, 0, 0), FALSE);
    // First in the tab order.
    ::SetWindowPos(field_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    list_ = CListCtrl(Item(IDC_FIND_LIST));
    ::SendMessageA(list_.hwnd(), LVM_SETUNICODEFORMAT, TRUE, 0);
    list_.SetExtendedStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < find_column::kCount; ++column) {
        list_.InsertColumn(column, kColumns[column].caption, kColumns[column].format,
                           kColumns[column].width);
    }
    tasks_.Attach(hwnd());
    keeper_.Attach(hwnd());

    // Over the main dialog, a little below its caption.
    RECT owner = {};
    if (const HWND parent = ::GetWindow(hwnd(), GW_OWNER);
        parent && ::GetWindowRect(parent, &owner)) {
        POINT place = KeptOnScreen(hwnd(), {owner.left + 40, owner.top + 60});
        ::SetWindowPos(hwnd(), nullptr, place.x, place.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Layout();
    ShowCount();
    return false;
}

void CFindWindow::Layout() {
    if (!field_ || !list_.hwnd()) {
        return;
    }
    RECT client = {};
    ::GetClientRect(hwnd(), &client);
    // The template's margins and the field's height, in dialog units.
    RECT units = {4, 13, 21, 0};
    ::MapDialogRect(hwnd(), &units);
    const int margin = units.left;
    const int fieldHeight = units.top;
    const int listTop = units.right;
    const int width = client.right - client.left;
    const int fieldWidth = std::max(60, width * 3 / 5);
    ::MoveWindow(field_, margin, margin, fieldWidth, fieldHeight, TRUE);
    ::MoveWindow(Item(IDC_FIND_STATUS), 2 * margin + fieldWidth, margin + 2,
                 std::max(0, width - fieldWidth - 3 * margin), fieldHeight - 2, TRUE);
    ::MoveWindow(list_.hwnd(), 0, listTop, width, std::max(0, int(client.bottom) - listTop), TRUE);
}

void CFindWindow::Show() {
    ::ShowWindow(hwnd(), SW_SHOW);
    BringForward(hwnd());
    ::SetFocus(field_);
    ::SendMessageA(field_, EM_SETSEL, 0, -1);
    // The archive may have changed while the window was hidden.
    if (!results_.text().empty() || ::GetWindowTextLengthW(field_) > 0) {
        OnTyped();
    } else {
        StartCatchUp();
    }
}

void CFindWindow::OnTyped() {
    searchPending_ = true;
    ::SetTimer(hwnd(), kTypingTimer, kTypingMilliseconds, nullptr);
    ShowCount();
}

void CFindWindow::Search() {
    ::KillTimer(hwnd(), kTypingTimer);
    // The archive's own task writes the index meanwhile.
    if (dialog_.TaskRunning() || tasks_.running()) {
        ::SetTimer(hwnd(), kTypingTimer, kTaskWaitMilliseconds, nullptr);
        return;
    }
    searchPending_ = false;
    // What the index holds is shown while it catches up on the rest.
    StartCatchUp();
    list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    results_.Search(WindowTextUtf8(field_));
    ShowResults();
    // The newest page shows before the rest is counted.
    ::UpdateWindow(list_.hwnd());
    results_.CountAll();
    ShowResults();
    keeper_.WriteLog();
}

void CFindWindow::ShowResults() {
    list_.SetItemCount(results_.lines());
    ::InvalidateRect(list_.hwnd(), nullptr, TRUE);
    ShowCount();
}

void CFindWindow::ShowCount() {
    // A restore shows its progress there.
    if (tasks_.running()) {
        return;
    }
    const std::string count = MessagesText(results_.count());
    SetItemText(IDC_FIND_STATUS, keeper_.catchingUp()      ? keeper_.progressText()
                                 : results_.text().empty() ? ""
                                                           : count);
    std::string caption = title_;
    if (!results_.text().empty() || searchPending_) {
        caption += " \x97 " + count;
    }
    if (searchPending_ || (keeper_.catchingUp() && !results_.text().empty())) {
        caption += " \x85";
    }
    ::SetWindowTextA(hwnd(), caption.c_str());
}

void CFindWindow::StartCatchUp() {
    if (keeper_.Start()) {
        ShowCount();
    }
}

void CFindWindow::CatchUpSlice() {
    // A task writes the archive and the index meanwhile.
    if (dialog_.TaskRunning() || tasks_.running()) {
        return;
    }
    if (!keeper_.Step()) {
        ShowCount();
    } else if (!results_.text().empty() && !searchPending_) {
        // The messages just indexed join those found.
        Search();
    } else {
        ShowCount();
    }
}

void CFindWindow::OpenSelected() {
    int line = list_.NextSelected(-1);
    if (line < 0) {
        line = list_.NextFocused();
    }
    const FoundRow* found = results_.At(line);
    if (!found || !found->row.rowid() || dialog_.TaskRunning() || tasks_.running()) {
        return;
    }
    dialog_.ShowInViewer(found->table, *found->row.rowid());
}

void CFindWindow::OnColumnClick(int column) {
    // A sort reads the index, which a task is writing.
    if (dialog_.TaskRunning() || tasks_.running()) {
        return;
    }
    const bool descending = column == results_.sortColumn() && !results_.descending();
    list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    results_.SortBy(column, descending);
    ShowResults();
}

LRESULT CFindWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != list_.hwnd()) {
        return 0;
    }
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
        LVITEMW& item = info.item;
        const FoundRow* found = results_.Reach(item.iItem);
        if (found && (item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            const std::wstring text = WideFromUtf8(CFindResults::CellText(*found, item.iSubItem));
            const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
            std::copy_n(text.data(), length, item.pszText);
            item.pszText[length] = L'\0';
        }
        break;
    }
    case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        break;
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
        if (key == VK_RETURN) {
            OpenSelected();
        } else {
            tasks_.OnListKey(key);
        }
        break;
    }
    case NM_DBLCLK:
        OpenSelected();
        break;
    default:
        break;
    }
    return 0;
}

void CFindWindow::OnCommand(int id, int notifyCode, HWND /*control*/) {
    if (tasks_.OnCommand(id)) {
        return;
    }
    if (id == IDC_FIND_TEXT && notifyCode == EN_CHANGE) {
        OnTyped();
    } else if (id == ID_VIEWER_FIND) {
        ::SetFocus(field_);
        ::SendMessageA(field_, EM_SETSEL, 0, -1);
    }
}

bool CFindWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (tasks_.OnMessage(message, wParam, lParam)) {
        return true;
    }
    if (keeper_.IsTurn(message, wParam)) {
        CatchUpSlice();
        return true;
    }
    switch (message) {
    case WM_TIMER:
        if (wParam == kTypingTimer) {
            Search();
        }
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            Layout();
        }
        return false;
    case WM_GETMINMAXINFO: {
        auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
        limits.ptMinTrackSize = {320, 160};
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

bool CFindWindow::PreTranslateMessage(MSG& message) {
    if (message.message == WM_KEYDOWN) {
        const bool control = ::GetKeyState(VK_CONTROL) < 0;
        switch (message.wParam) {
        case VK_ESCAPE:
            // Closes the window; during a restore it asks it to stop.
            if (!tasks_.OnEscape()) {
                OnClose();
            }
            return true;
        case VK_RETURN:
            if (message.hwnd == field_) {
                // The words at once, and the keyboard to the newest message.
                Search();
                if (results_.lines() > 0) {
                    list_.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED,
                                       LVIS_SELECTED | LVIS_FOCUSED);
                    ::SetFocus(list_.hwnd());
                }
                return true;
            }
            // No default button: Enter belongs to the list.
            return false;
        case 'F':
            if (control) {
                ::SetFocus(field_);
                ::SendMessageA(field_, EM_SETSEL, 0, -1);
                return true;
            }
            break;
        case 'A':
            if (control && message.hwnd == list_.hwnd()) {
                tasks_.SelectAll();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return CDialog::PreTranslateMessage(message);
}

void CFindWindow::OnClose() {
    // The restore runs inside this window.
    if (tasks_.running()) {
        return;
    }
    ::KillTimer(hwnd(), kTypingTimer);
    keeper_.Stop();
    searchPending_ = false;
    // Kept with its words and found messages for the next Ctrl+F.
    ::ShowWindow(hwnd(), SW_HIDE);
}
