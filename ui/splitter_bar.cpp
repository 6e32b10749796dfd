#include "ui/splitter_bar.h"

#include "base/guarded_call.h"
#include "base/message_pump.h"
#include "base/stowlark_app.h"
#include "ui/gdi_resources.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace {

constexpr UINT_PTR kSubclassId = 1;

// The drag feedback: every other pixel, inverted, so it shows on any
// background and a second stroke takes it away.
UniqueBrush MakeHalftoneBrush() {
    const WORD pattern[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    const UniqueBitmap bitmap(::CreateBitmap(8, 8, 1, 1, pattern));
    return UniqueBrush(bitmap ? ::CreatePatternBrush(bitmap.get()) : nullptr);
}

void InvertRect(HDC dc, HBRUSH brush, const RECT& rect) {
    const SelectedObject selected(dc, brush);
    ::PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATINVERT);
}

RECT ScreenRect(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

} // namespace

CSplitterBar::~CSplitterBar() {
    if (bar_) {
        ::RemoveWindowSubclass(bar_, SubclassProc, kSubclassId);
    }
}

bool CSplitterBar::Attach(HWND parent, int controlId) {
    parent_ = parent;
    controlId_ = controlId;
    bar_ = ::GetDlgItem(parent, controlId);
    if (!bar_) {
        return false;
    }
    ::SetWindowSubclass(bar_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    // A static control hears the mouse only with this style.
    const LONG_PTR style = ::GetWindowLongPtrA(bar_, GWL_STYLE);
    ::SetWindowLongPtrA(bar_, GWL_STYLE, style | SS_NOTIFY);
    return true;
}

RECT CSplitterBar::ChildRect(int controlId) const {
    RECT rect = ScreenRect(::GetDlgItem(parent_, controlId));
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CSplitterBar::Relayout() const {
    const RECT bar = ChildRect(controlId_);
    for (const int id : aboveIds_) {
        RECT rect = ChildRect(id);
        rect.bottom = bar.top - 1;
        ::MoveWindow(::GetDlgItem(parent_, id), rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, TRUE);
    }
    for (const int id : belowIds_) {
        RECT rect = ChildRect(id);
        rect.top = bar.bottom + 1;
        ::MoveWindow(::GetDlgItem(parent_, id), rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, TRUE);
    }
    // The children too: a parent that clips them (the viewer does) would
    // repaint only the gaps, and a pane that grew over the bar's old place
    // would go on showing the bar there, and none of its new rows.
    ::RedrawWindow(parent_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool CSplitterBar::DragLimits(int offsetY, RECT& clip) const {
    const RECT bar = ScreenRect(bar_);
    RECT parent = {};
    ::GetClientRect(parent_, &parent);
    ::MapWindowPoints(parent_, nullptr, reinterpret_cast<POINT*>(&parent), 2);

    int top = parent.top + minAbove_;
    for (const int id : aboveIds_) {
        top =
            std::max(top, static_cast<int>(ScreenRect(::GetDlgItem(parent_, id)).top) + minAbove_);
    }
    int bottom = parent.bottom - minBelow_;
    for (const int id : belowIds_) {
        bottom = std::min(bottom, static_cast<int>(ScreenRect(::GetDlgItem(parent_, id)).bottom) -
                                      minBelow_);
    }
    const int height = bar.bottom - bar.top;
    // Between the two limits the whole bar must fit, or the clip rectangle
    // would turn inside out.
    if (top >= bottom || bottom - top < height) {
        return false;
    }
    clip = {bar.left, top + offsetY, bar.right, bottom - (height - offsetY) + 1};
    return true;
}

void CSplitterBar::Drag(int offsetY) {
    if (::GetCapture()) {
        return;
    }
    RECT clip = {};
    if (!DragLimits(offsetY, clip)) {
        return;
    }
    // The bar's top may go where the clipped cursor can take it, and no
    // further, even when the moves come from elsewhere than the mouse.
    const RECT screenBar = ScreenRect(bar_);
    const int leastMove = clip.top - offsetY - screenBar.top;
    const int mostMove = clip.bottom - 1 - offsetY - screenBar.top;

    // Messages dispatched during the drag may close the parent and free
    // this object; the loop holds on to copies and to the token.
    const std::weak_ptr<bool> alive = alive_;
    const HWND bar = bar_;
    const HWND parent = parent_;
    const RECT start = ChildRect(controlId_);
    RECT last = start;
    int distance = 0;
    {
        const CursorClip cursorClip(clip);
        const MouseCapture capture(bar);
        const UniqueBrush halftone = MakeHalftoneBrush();
        const WindowDC dc(parent, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
        InvertRect(dc.get(), halftone.get(), last);

        for (bool dragging = true; dragging && ::GetCapture() == bar;) {
            MSG message;
            const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0) {
                    ::PostQuitMessage(static_cast<int>(message.wParam));
                }
                break;
            }
            switch (message.message) {
            case WM_MOUSEMOVE: {
                distance = std::clamp(GET_Y_LPARAM(message.lParam) - offsetY, leastMove, mostMove);
                RECT next = start;
                ::OffsetRect(&next, 0, distance);
                InvertRect(dc.get(), halftone.get(), last);
                InvertRect(dc.get(), halftone.get(), next);
                last = next;
                break;
            }
            case WM_KEYDOWN:
                dragging = message.wParam != VK_ESCAPE;
                break;
            // A window taking the capture (a menu, a dialog) ends the drag
            // through the loop's test.
            case WM_SYSKEYDOWN:
            case WM_LBUTTONUP:
            case WM_RBUTTONDOWN:
                dragging = false;
                break;
            default:
                DispatchThreadMessage(message);
                break;
            }
        }
        if (::IsWindow(parent)) {
            InvertRect(dc.get(), halftone.get(), last);
        }
    }
    if (distance == 0 || alive.expired() || !::IsWindow(bar)) {
        return;
    }
    ::MoveWindow(bar, last.left, last.top, last.right - last.left, last.bottom - last.top, FALSE);
    Relayout();
    ::SendMessageA(parent, kSplitterMovedMessage, static_cast<WPARAM>(distance), controlId_);
}

LRESULT CALLBACK CSplitterBar::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR /*id*/, DWORD_PTR self) {
    CSplitterBar& bar = *reinterpret_cast<CSplitterBar*>(self);
    switch (message) {
    case WM_SETCURSOR:
        ::SetCursor(App().Context().splitterCursor);
        return TRUE;
    case WM_LBUTTONDOWN:
        // The drag's owners give the mouse back however it ends.
        RunGuarded([&] { bar.Drag(GET_Y_LPARAM(lParam)); });
        return 0;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, SubclassProc, kSubclassId);
        bar.bar_ = nullptr;
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}
