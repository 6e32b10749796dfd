// Where the viewer stands and how it shares its client area: the place,
// size and state it reopens with, the find field over the list, the bar
// between the list and the preview, and the least size it may be dragged
// to, which keeps the bar and a strip of the preview in sight.
#pragma once

#include "base/win32.h"
#include "ui/splitter_bar.h"

class CViewerPlacement {
public:
    // The window's bar `barId` between `list` above and `paneId` below, and
    // the find field over them; reads where the bar was left.
    void Attach(HWND window, HWND findField, HWND list, int barId, int paneId);
    // Puts the window where it was when it last closed.
    void Apply();
    // Places the find field (when shown), the list, the bar and the pane.
    void Layout();
    void OnBarMoved();
    void Limit(MINMAXINFO& limits) const;
    // Keeps the place, size, state and bar for the next window.
    void Save();

private:
    HWND window_ = nullptr;
    HWND findField_ = nullptr;
    HWND list_ = nullptr;
    HWND bar_ = nullptr;
    HWND pane_ = nullptr;
    CSplitterBar splitter_;
    int state_ = 0;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    int splitterTop_ = 0;
    int minTrackHeight_ = 0;
    int sizeCount_ = 0;
    RECT barRect_ = {};
};
