#include "testhost/mailbox_list_view.h"

#include <commctrl.h>
#include <unordered_map>

namespace {

const char* const kStatusNames[] = {"Unread",     "Read",       "Replied",    "Forwarded",
                                    "Redirected", "Unsendable", "Draft",      "Queued",
                                    "Sent",       "Unsent",     "Time Queued"};

enum Column : int {
    kStatusColumn = 0,
    kPriorityColumn = 1,
    kWhoColumn = 2,
    kDateColumn = 3,
    kSubjectColumn = 4,
};

std::string StatusName(int32_t status) {
    if (status >= 0 && status <= 10) {
        return kStatusNames[status];
    }
    return std::to_string(status);
}

void AddColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(title);
    column.cx = width;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&column));
}

// Drawing waits while many rows change, and happens once at the end.
class RedrawPause {
public:
    explicit RedrawPause(HWND list) : list_(list) {}
    ~RedrawPause() {
        if (paused_) {
            ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        }
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

    void Begin() {
        if (!paused_) {
            ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
            paused_ = true;
        }
    }

private:
    HWND list_;
    bool paused_ = false;
};

} // namespace

HWND MailboxListView::Create(HWND parent, HINSTANCE instance) {
    HWND list = ::CreateWindowExA(0, WC_LISTVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0,
                                  0, parent, nullptr, instance, nullptr);
    if (!list) {
        return nullptr;
    }
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    AddColumn(list, kStatusColumn, "Status", 80);
    AddColumn(list, kPriorityColumn, "Priority", 70);
    AddColumn(list, kWhoColumn, "Who", 180);
    AddColumn(list, kDateColumn, "Date", 140);
    AddColumn(list, kSubjectColumn, "Subject", 260);
    return list;
}

void MailboxListView::Update(const MailboxFile& mailbox) {
    const size_t count = mailbox.Count();
    std::unordered_map<uint32_t, size_t> places;
    places.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        places.emplace(mailbox.Entry(i).id, i);
    }
    RedrawPause pause(list_);

    // A row whose id names a message of another length shows a message the
    // mailbox lost when it was read again after a change behind the host's
    // back.
    std::vector<size_t> placeOfRow(rows_.size());
    size_t staying = 0;
    for (size_t row = 0; row < rows_.size(); ++row) {
        const auto found = places.find(rows_[row].id);
        const bool stays =
            found != places.end() && mailbox.Entry(found->second).length == rows_[row].length;
        placeOfRow[row] = stays ? found->second : count;
        staying += stays ? 1 : 0;
    }
    if (staying < rows_.size()) {
        pause.Begin();
    }
    if (staying == 0) {
        DeleteAllRows();
    } else {
        for (size_t row = rows_.size(); row-- > 0;) {
            if (placeOfRow[row] == count) {
                DeleteRow(row);
                placeOfRow.erase(placeOfRow.begin() + static_cast<std::ptrdiff_t>(row));
            }
        }
        // Messages the file now holds in another order are shown anew.
        for (size_t row = 1; row < placeOfRow.size(); ++row) {
            if (placeOfRow[row] <= placeOfRow[row - 1]) {
                DeleteAllRows();
                break;
            }
        }
    }

    size_t row = 0;
    for (size_t i = 0; i < count; ++i) {
        const MessageEntry& entry = mailbox.Entry(i);
        if (row < rows_.size() && rows_[row].id == entry.id) {
            if (rows_[row].status != entry.status) {
                SetStatus(row, entry.status);
            }
        } else {
            pause.Begin();
            InsertRow(row, mailbox, i);
        }
        ++row;
    }
}

void MailboxListView::DeleteRow(size_t row) {
    ::SendMessageA(list_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
}

void MailboxListView::DeleteAllRows() {
    ::SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    rows_.clear();
}

void MailboxListView::InsertRow(size_t row, const MailboxFile& mailbox, size_t index) {
    const MessageEntry& entry = mailbox.Entry(index);
    // All read before the row is made, so that a failed read leaves none
    // half filled.
    const std::string priority = mailbox.PriorityText(index);
    const std::string who = mailbox.HeaderField(index, kFieldFrom);
    const std::string date = mailbox.HeaderField(index, kFieldDate);
    const std::string subject = mailbox.HeaderField(index, kFieldSubject);
    const std::string status = StatusName(entry.status);

    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    item.pszText = const_cast<char*>(status.c_str());
    ::SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(row),
                 Row{entry.id, entry.length, entry.status});
    SetText(row, kPriorityColumn, priority);
    SetText(row, kWhoColumn, who);
    SetText(row, kDateColumn, date);
    SetText(row, kSubjectColumn, subject);
}

void MailboxListView::SetStatus(size_t row, int32_t status) {
    SetText(row, kStatusColumn, StatusName(status));
    rows_[row].status = status;
}

void MailboxListView::SetText(size_t row, int column, const std::string& text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
}
