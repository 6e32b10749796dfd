#include "ui/viewer_tasks.h"

#include "db/ado_database.h"
#include "engine/restore_task.h"
#include "base/ansi_text.h"
#include "base/file_utils.h"
#include "base/message_box.h"
#include "base/message_pump.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "ui/saved_messages.h"
#include "ui/viewer_attachments.h"
#include "ui/viewer_closed_notice.h"

#include <shlobj.h>

#include <algorithm>

namespace {

// What the shell's folder dialog gives back.
using UniqueItemIdList = UniqueResource<NullHandleTraits<LPITEMIDLIST, ::CoTaskMemFree>>;

// Posted to the viewer for the menu key or Shift+F10 in the list.
constexpr UINT kListMenuMessage = WM_APP + 2;

} // namespace

void CViewerTasks::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    menu_.reset(::LoadMenuA(App().Instance(), MAKEINTRESOURCEA(IDM_VIEWER_MENU)));
}

bool CViewerTasks::OnEscape() {
    if (running_ && stopEnabled_) {
        stopRequested_ = true;
    }
    return running_;
}

void CViewerTasks::OnListKey(WORD key) {
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    // Answered once, from a posted notice, whatever else the list sends.
    if ((key == VK_APPS || (key == VK_F10 && shift)) && !keyboardMenuPending_) {
        keyboardMenuPending_ = ::PostMessageA(hwnd_, kListMenuMessage, 0, 0) != FALSE;
    }
}

bool CViewerTasks::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kListMenuMessage:
        keyboardMenuPending_ = false;
        ShowMenu(-1);
        return true;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == window_.List().hwnd() &&
            (lParam != -1 || !keyboardMenuPending_)) {
            ShowMenu(lParam);
        }
        return true;
    default:
        return false;
    }
}

bool CViewerTasks::OnCommand(int id) {
    switch (id) {
    case ID_VIEWER_RESTORE:
        RestoreSelected(false);
        return true;
    case ID_VIEWER_RESTORE_REMOVE:
        RestoreSelected(true);
        return true;
    case ID_VIEWER_SELECT_ALL:
        SelectAll();
        return true;
    case ID_VIEWER_SAVE_AS:
        SaveSelectedAs();
        return true;
    case ID_VIEWER_SAVE_ATTACHMENTS:
        SaveAttachments();
        return true;
    default:
        return false;
    }
}

void CViewerTasks::ShowMenu(LPARAM position) {
    const HMENU menu = ::GetSubMenu(menu_.get(), 0);
    if (!menu) {
        return;
    }
    const CListCtrl& list = window_.List();
    POINT at = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == -1) {
        // From the keyboard: at the focused row, or the list's corner.
        RECT rect = {};
        const int focused = list.NextFocused();
        if (focused < 0 || !ListView_GetItemRect(list.hwnd(), focused, &rect, LVIR_LABEL)) {
            rect = {};
        }
        at = {rect.left, rect.bottom};
        ::ClientToScreen(list.hwnd(), &at);
    }
    const bool busy = running_ || App().Context().viewerTaskRunning || window_.ArchiveBusy();
    const UINT restoreState = !busy && list.SelectedCount() > 0 ? MF_ENABLED : MF_GRAYED;
    // One file holds the messages of one archive.
    const UINT saveState =
        restoreState == MF_ENABLED && SelectedByTable().size() == 1 ? MF_ENABLED : MF_GRAYED;
    ::EnableMenuItem(menu, ID_VIEWER_RESTORE, MF_BYCOMMAND | restoreState);
    ::EnableMenuItem(menu, ID_VIEWER_RESTORE_REMOVE, MF_BYCOMMAND | restoreState);
    ::EnableMenuItem(menu, ID_VIEWER_SAVE_AS, MF_BYCOMMAND | saveState);
    ::EnableMenuItem(menu, ID_VIEWER_SAVE_ATTACHMENTS, MF_BYCOMMAND | restoreState);
    ::EnableMenuItem(menu, ID_VIEWER_SELECT_ALL,
                     MF_BYCOMMAND | (!busy && list.ItemCount() > 0 ? MF_ENABLED : MF_GRAYED));
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
}

void CViewerTasks::SelectAll() {
    const CListCtrl& list = window_.List();
    if (!running_ && list.ItemCount() > 0) {
        list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    }
}

std::vector<CViewerTasks::TableRows> CViewerTasks::SelectedByTable() const {
    const CListCtrl& list = window_.List();
    std::vector<TableRows> groups;
    for (int index = list.NextSelected(-1); index >= 0; index = list.NextSelected(index)) {
        const ViewerRow* row = window_.RowAt(index);
        if (!row) {
            continue;
        }
        const std::string& table = window_.TableAt(index);
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const TableRows& rows) { return rows.table == table; });
        if (group == groups.end()) {
            group = groups.insert(groups.end(), TableRows{table, {}});
        }
        group->rows.push_back(row);
    }
    return groups;
}

int CViewerTasks::RestoreSelected(bool remove) {
    PluginContext& context = App().Context();
    CADODatabase* database = window_.Archive();
    if (running_ || context.viewerTaskRunning || window_.ArchiveBusy() ||
        window_.List().SelectedCount() == 0 || !database) {
        return 0;
    }
    const std::vector<TableRows> selected = SelectedByTable();
    std::vector<std::string> tables;
    for (const TableRows& group : selected) {
        if (std::any_of(group.rows.begin(), group.rows.end(),
                        [](const ViewerRow* row) { return !row->rowid(); })) {
            ShowStandardErrorBox("The rows of this archive cannot be told apart one by one, so "
                                 "only a restore of the whole archive from the main dialog can "
                                 "bring them back.");
            return 0;
        }
        tables.push_back(group.table);
    }
    if (!window_.MayRestore(tables)) {
        return 0;
    }
    running_ = true;
    context.viewerTaskRunning = true;
    stopRequested_ = false;
    stopEnabled_ = true;
    SetProgress(100);

    StagingFiles staging{context.hostDataDir + "\\Pending.mbx",
                         context.hostDataDir + "\\Pending.toc"};
    int restored = 0;
    // Each archive is a run of its own, with its own record in the log.
    for (const TableRows& group : selected) {
        std::vector<long long> bookmarks;
        for (const ViewerRow* row : group.rows) {
            bookmarks.push_back(*row->rowid());
        }
        RestoreTask task(*database, staging, context.logPath, *this);
        restored += std::max(0, task.runRows(group.table, bookmarks, remove));
        if (stopRequested_) {
            break;
        }
    }

    running_ = false;
    context.viewerTaskRunning = false;
    ::SetWindowTextA(hwnd_, title_.c_str());
    if (remove) {
        window_.ReadRowsAgain();
    }
    window_.ShowCaption();
    if (restored > 0 && context.mainDialogWindow) {
        ::PostMessageA(context.mainDialogWindow, kArchiveChangedNotice, 0, 0);
    }
    return restored;
}

void CViewerTasks::SetProgress(int percent) {
    // Both the staging and the moves count down what is left.
    const int done = 100 - std::max(0, std::min(100, percent));
    ::SetWindowTextA(
        hwnd_, (title_ + " \x97 Restoring " + std::to_string(done) + "% (Esc stops)").c_str());
}

bool CViewerTasks::StopRequested() {
    PumpWaitingMessages();
    return stopRequested_;
}

void CViewerTasks::EnableStop(bool enable) {
    stopEnabled_ = enable;
}

void CViewerTasks::SaveSelectedAs() {
    const CListCtrl& list = window_.List();
    const int count = list.SelectedCount();
    if (running_ || count == 0) {
        return;
    }
    const ViewerRow* first = window_.RowAt(list.NextSelected(-1));
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
    dialog.hwndOwner = hwnd_;
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

bool CViewerTasks::SaveSelected(const std::string& path, bool asMailbox) {
    CADODatabase* database = window_.Archive();
    if (!database) {
        return false;
    }
    window_.CompleteSelectedRows();
    const std::vector<TableRows> selected = SelectedByTable();
    if (selected.size() != 1) {
        return false;
    }
    return SaveArchivedMessages(*database, selected.front().table, selected.front().rows, path,
                                asMailbox);
}

void CViewerTasks::SaveAttachments() {
    if (running_ || window_.List().SelectedCount() == 0) {
        return;
    }
    char path[MAX_PATH] = {};
    BROWSEINFOA browse = {};
    browse.hwndOwner = hwnd_;
    browse.pszDisplayName = path;
    browse.lpszTitle = "Save the attachments of the selected messages in:";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    const UniqueItemIdList folder(::SHBrowseForFolderA(&browse));
    if (folder && ::SHGetPathFromIDListA(folder.get(), path)) {
        SaveAttachmentsTo(path);
    }
}

int CViewerTasks::SaveAttachmentsTo(const std::string& folder) {
    CADODatabase* database = window_.Archive();
    if (!database) {
        return 0;
    }
    window_.CompleteSelectedRows();
    std::string errors;
    int saved = 0;
    for (const TableRows& group : SelectedByTable()) {
        saved += SaveKeptFiles(*database, group.table, group.rows, folder, errors);
    }
    if (!errors.empty()) {
        ShowStandardErrorBox("Some attachments could not be saved in " + folder + ":\n" + errors);
    } else if (saved == 0) {
        ShowStandardErrorBox("The archive keeps no attachments for the selected messages.");
    }
    return saved;
}
