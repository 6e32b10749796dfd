// The viewer list's columns: their captions and saved widths, the header's
// icons and the mark of the sorted column, the rows' status icons, and the
// texts the list asks for as it draws a row or the user types.
#pragma once

#include "base/win32.h"
#include "ui/gdi_resources.h"
#include "ui/list_control.h"
#include "ui/viewer_rows.h"

#include <string>
#include <vector>

class CViewerColumns {
public:
    // The columns at their saved widths, the icons and the header's font.
    void Attach(const CListCtrl& list);
    void ShowSortMark(int sortKey, int sortOrder) const;
    void SaveWidths() const;

private:
    CListCtrl list_;
    UniqueImageList statusImages_;
    UniqueImageList headerImages_;
    UniqueFont headerFont_;
};

// Fills in what the list asks of `row` (null: a line it no longer shows).
void ProvideViewerCell(NMLVDISPINFOW& info, const ViewerRow* row);

// The line typing `text` goes to, by the sender it shows: -1 for none.
// `view` holds the index into `rows` of the row on each line.
LRESULT FindTypedRow(const std::vector<ViewerRow>& rows, const std::vector<int>& view,
                     const std::wstring& text, UINT flags, int start);
