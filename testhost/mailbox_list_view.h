// The list of messages in one of the host's mailbox windows, kept in step
// with its mailbox by changing only the rows that changed. Filling it anew
// reads every message's headers from the file: after each move into or out
// of a large mailbox that took seconds.
#pragma once

#include "base/win32.h"
#include "testhost/mailstore/mailbox_file.h"

#include <cstdint>
#include <vector>

class MailboxListView {
public:
    // A report-style list view with the host's columns, as a child of
    // `parent`; null when it cannot be made.
    static HWND Create(HWND parent, HINSTANCE instance);

    // `list` is the control Create made; the window it belongs to owns it.
    explicit MailboxListView(HWND list) : list_(list) {}

    // Rows of messages no longer in `mailbox` go, rows of new ones come at
    // their place and changed statuses are shown; rows that stay keep their
    // selection. StoreError when a new message's headers cannot be read:
    // the rows made until then stay, and the next update goes on from them.
    void Update(const MailboxFile& mailbox);

private:
    // What a row shows of its message that may change, and what tells that
    // it is still the same message.
    struct Row {
        uint32_t id = 0;
        uint32_t length = 0;
        int32_t status = 0;
    };

    void DeleteRow(size_t row);
    void DeleteAllRows();
    void InsertRow(size_t row, const MailboxFile& mailbox, size_t index);
    void SetStatus(size_t row, int32_t status);
    void SetText(size_t row, int column, const std::string& text);

    HWND list_;
    std::vector<Row> rows_;
};
