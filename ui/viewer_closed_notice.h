// The notice an archive viewer posts to the main dialog as it closes: the
// registered message "uiArchiveClosed", wParam 1, lParam a heap cell holding
// the viewer's window handle that the receiver takes over.
#pragma once

#include "plugin/stowlark_app.h"

#include <memory>

inline bool PostViewerClosed(HWND mainDialog, HWND viewer) {
    auto cell = std::make_unique<HWND>(viewer);
    if (!::PostMessageA(mainDialog, App().Context().archiveClosedMessage, 1,
                        reinterpret_cast<LPARAM>(cell.get()))) {
        return false;
    }
    cell.release();
    return true;
}

// The viewer's handle, with the cell freed.
inline HWND TakeClosedViewer(LPARAM lParam) {
    const std::unique_ptr<HWND> cell(reinterpret_cast<HWND*>(lParam));
    return cell ? *cell : nullptr;
}
