// A thin horizontal bar between two groups of a parent's child windows; the
// user drags it to share the height between them.
#pragma once

#include "base/win32.h"

#include <memory>
#include <vector>

// Sent to the parent after a drag that moved the bar: wParam is the
// distance in pixels (negative upwards), lParam the bar's control id.
constexpr UINT kSplitterMovedMessage = WM_USER + 1000;

class CSplitterBar {
public:
    CSplitterBar() = default;
    ~CSplitterBar();
    CSplitterBar(const CSplitterBar&) = delete;
    CSplitterBar& operator=(const CSplitterBar&) = delete;

    // Takes over the parent's static control `controlId`.
    bool Attach(HWND parent, int controlId);
    // The least room, in pixels, kept above and below the bar.
    void SetMinSizes(int above, int below) {
        minAbove_ = above;
        minBelow_ = below;
    }
    bool AddAbove(int controlId) {
        aboveIds_.push_back(controlId);
        return true;
    }
    bool AddBelow(int controlId) {
        belowIds_.push_back(controlId);
        return true;
    }
    // The windows above end just over the bar, those below start just under.
    void Relayout() const;

    HWND hwnd() const { return bar_; }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    // The screen rectangle the mouse may move in while the bar is dragged by
    // a point `offsetY` below its top; false when there is no room.
    bool DragLimits(int offsetY, RECT& clip) const;
    void Drag(int offsetY);
    RECT ChildRect(int controlId) const;

    HWND parent_ = nullptr;
    HWND bar_ = nullptr;
    int controlId_ = 0;
    std::vector<int> aboveIds_;
    std::vector<int> belowIds_;
    int minAbove_ = 0;
    int minBelow_ = 0;
    // Expires with this object, which a drag's message loop may outlive.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
