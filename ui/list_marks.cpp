#include "ui/list_marks.h"

#include <algorithm>

ListMarks ListMarks::Take(const CListCtrl& list, const std::vector<int>& view) {
    ListMarks marks;
    for (int index = list.NextSelected(-1); index >= 0; index = list.NextSelected(index)) {
        if (index < static_cast<int>(view.size())) {
            marks.selected_.push_back(view[index]);
        }
    }
    const int focused = list.NextFocused();
    marks.focused_ = focused >= 0 && focused < static_cast<int>(view.size()) ? view[focused] : -1;
    return marks;
}

bool ListMarks::PutBack(const CListCtrl& list, const std::vector<int>& view, size_t rowCount) {
    const bool hadMarks = !selected_.empty() || focused_ >= 0;
    const size_t selectedBefore = selected_.size();
    if (list.ItemCount() != static_cast<int>(view.size())) {
        list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetItemCount(static_cast<int>(view.size()));
    }

    std::vector<int> position(rowCount, -1);
    for (size_t i = 0; i < view.size(); ++i) {
        position[view[i]] = static_cast<int>(i);
    }
    selected_.erase(std::remove_if(selected_.begin(), selected_.end(),
                                   [&](int row) { return position[row] < 0; }),
                    selected_.end());
    const bool focusShown = focused_ >= 0 && position[focused_] >= 0;
    if (hadMarks) {
        // Drawn once at the end, not once for every row marked again.
        ::SendMessageA(list.hwnd(), WM_SETREDRAW, FALSE, 0);
        list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        if (selected_.size() == view.size()) {
            list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        } else {
            for (const int row : selected_) {
                list.SetItemState(position[row], LVIS_SELECTED, LVIS_SELECTED);
            }
        }
        if (focusShown) {
            list.SetItemState(position[focused_], LVIS_FOCUSED, LVIS_FOCUSED);
        }
        ::SendMessageA(list.hwnd(), WM_SETREDRAW, TRUE, 0);
        if (focusShown) {
            list.EnsureVisible(position[focused_]);
        }
    }
    return selected_.size() != selectedBefore;
}
