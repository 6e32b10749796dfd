#include "engine/archive_wait_notice.h"

#include "db/ado_database.h"
#include "mailbox/host_mailboxes.h"
#include "base/win32.h"

namespace {

BOOL CALLBACK PaintNow(HWND window, LPARAM) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

// The wait holds the thread the host's windows live on without taking its
// messages: its status line shows the new text only if painted at once.
// Painting takes nothing else from the queue, so no click or command runs
// while the database engine is in the middle of a statement.
void ShowStatus(const char* text) {
    SetHostStatus(text);
    ::EnumThreadWindows(::GetCurrentThreadId(), PaintNow, 0);
}

} // namespace

ArchiveWaitNotice::ArchiveWaitNotice(CADODatabase& database) : database_(database) {
    // Cleared when the wait ends: the task's next word may come only after
    // its next message.
    database_.SetLockWaitListener(
        [](bool waiting) { ShowStatus(waiting ? "waiting for the archive\x85" : ""); });
}

ArchiveWaitNotice::~ArchiveWaitNotice() {
    database_.SetLockWaitListener(nullptr);
}
