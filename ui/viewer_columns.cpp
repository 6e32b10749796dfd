#include "ui/viewer_columns.h"

#include "base/ansi_text.h"
#include "base/settings_keys.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "ui/icon_list.h"
#include "ui/utf8_text.h"
#include "ui/window_ops.h"

#include <algorithm>

namespace {

constexpr int kMaxWidth = 4000;
// Header images 0 and 1 mark the sorted column; each column's own icon
// follows.
constexpr int kFirstColumnImage = 2;
constexpr int kStatusCount = 11;

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

int PointsToPixels(int points) {
    const HDC screen = ::GetDC(nullptr);
    const int pixels = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

} // namespace

void CViewerColumns::Attach(const CListCtrl& list) {
    list_ = list;
    const std::string& file = App().Context().settingsPath;
    for (int column = 0; column < viewer_column::kCount; ++column) {
        const ColumnLayout& layout = kColumns[column];
        int width = ReadSetting(layout.width, file);
        // A width no screen holds would push the other columns out of reach.
        if (width < 0 || width > kMaxWidth) {
            width = layout.width.defaultValue;
        }
        list_.InsertColumn(column, layout.caption, layout.format, width);
    }
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
}

void CViewerColumns::ShowSortMark(int sortKey, int sortOrder) const {
    const CHeaderCtrl header(list_.Header());
    for (int column = 0; column < viewer_column::kCount; ++column) {
        // A header item's alignment is its column's: dates stay right and
        // sizes centred under their captions.
        const int format = HDF_STRING | HDF_IMAGE | (header.ItemFormat(column) & HDF_JUSTIFYMASK);
        int image = kFirstColumnImage + column;
        if (column == sortKey) {
            // Any order but descending sorts ascending, and shows so.
            image = sortOrder == 1 ? 1 : 0;
        }
        header.SetItemFormatAndImage(column, format, image);
    }
}

void CViewerColumns::SaveWidths() const {
    if (!list_.hwnd()) {
        return;
    }
    const std::string& file = App().Context().settingsPath;
    for (int column = 0; column < viewer_column::kCount; ++column) {
        WriteSetting(kColumns[column].width, list_.ColumnWidth(column), file);
    }
}

void ProvideViewerCell(NMLVDISPINFOW& info, const ViewerRow* row) {
    LVITEMW& item = info.item;
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

LRESULT FindTypedRow(const std::vector<ViewerRow>& rows, const std::vector<int>& view,
                     const std::wstring& text, UINT flags, int start) {
    const int count = static_cast<int>(view.size());
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
        const std::string_view sender = rows[view[index]].TextView(ViewerText::kFrom);
        if (BeginsIgnoringCase(sender, text) &&
            (partial || CompareUtf8IgnoringCase(sender, Utf8FromWide(text)) == 0)) {
            return index;
        }
    }
    return -1;
}
