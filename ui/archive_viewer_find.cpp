// The viewer's Find: the bar over the list and its search, which reads the
// archive's full-text index where that is up to date and the message texts
// themselves where it is not; and a row picked out for the main dialog's
// Find window.
#include "ui/archive_viewer.h"

#include "db/connection_string.h"

#include <algorithm>

void CArchiveViewer::ShowFind() {
    if (!find_.field() || tasks_.running()) {
        return;
    }
    if (find_.Open()) {
        placement_.Layout();
    }
    find_.Focus();
}

void CArchiveViewer::HideFind() {
    find_.Close();
    placement_.Layout();
    ::SetFocus(list_.hwnd());
}

void CArchiveViewer::StartSearch() {
    if (!index_) {
        index_ =
            std::make_unique<ArchiveIndex>(ConnectionStringValue(connectionString_, "Data Source"));
    }
    find_.Start(Archive(), tableName_, index_.get());
    ShowView();
}

void CArchiveViewer::ContinueSearch() {
    if (find_.ReadOn()) {
        // Drawn at once: a posted notice goes before painting.
        ShowView();
        ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    find_.ReadOnLater();
}

bool CArchiveViewer::SelectRow(long long rowid) {
    const auto holds = [&](int row) { return rows_[static_cast<size_t>(row)].rowid() == rowid; };
    auto shown = std::find_if(view_.begin(), view_.end(), holds);
    if (shown == view_.end() && find_.narrowing() &&
        std::any_of(order_.begin(), order_.end(), holds)) {
        // The user asked for this message: the search that hides it goes.
        HideFind();
        shown = std::find_if(view_.begin(), view_.end(), holds);
    }
    if (shown == view_.end()) {
        return false;
    }
    const int line = static_cast<int>(shown - view_.begin());
    list_.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list_.SetItemState(line, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list_.EnsureVisible(line);
    ::SetFocus(list_.hwnd());
    return true;
}
