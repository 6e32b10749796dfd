// The marks a row of an owner-data list carries (selected, focused) belong
// to the row, not to the line the list shows it on: they are taken by row
// before the list's order or its rows change and put back where those rows
// show afterwards, as a list that held its own items would keep them.
#pragma once

#include "ui/list_control.h"

#include <vector>

class ListMarks {
public:
    // The rows `list` marks; `view` holds the row shown on each line.
    static ListMarks Take(const CListCtrl& list, const std::vector<int>& view);

    // Makes `list` show `view` (rows out of `rowCount`) with the marks
    // taken; the rows that no longer show lose theirs. True when a selected
    // row lost its mark so.
    bool PutBack(const CListCtrl& list, const std::vector<int>& view, size_t rowCount);

private:
    std::vector<int> selected_;
    int focused_ = -1;
};
