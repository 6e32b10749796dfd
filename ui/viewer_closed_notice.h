// The notice an archive viewer posts to the main dialog as it closes: the
// registered message "uiArchiveClosed", wParam 1, lParam a cell holding the
// viewer's window handle that the receiver takes back.
#pragma once

#include "base/stowlark_app.h"

#include <optional>

// Posted by a viewer whose restore changed its archive and the mailboxes:
// the main dialog counts both anew.
constexpr UINT kArchiveChangedNotice = WM_APP + 20;

inline bool PostViewerClosed(HWND mainDialog, HWND viewer) {
    NoticeCells& cells = App().NoticeCells();
    HWND* cell = cells.Make(viewer);
    if (!::PostMessageA(mainDialog, App().Context().archiveClosedMessage, 1,
                        reinterpret_cast<LPARAM>(cell))) {
        cells.Take(reinterpret_cast<LPARAM>(cell));
        return false;
    }
    return true;
}

// The viewer's handle, or nullopt for a notice this module did not send.
inline std::optional<HWND> TakeClosedViewer(LPARAM lParam) {
    return App().NoticeCells().Take(lParam);
}
