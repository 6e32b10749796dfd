#include "ui/viewer_placement.h"

#include "base/settings_keys.h"
#include "base/stowlark_app.h"
#include "ui/window_ops.h"

#include <algorithm>

namespace {

constexpr int kBarHeight = 7;
// The least height below the bar's top that the window keeps.
constexpr int kRoomUnderBarTop = 75;
constexpr int kMinWidth = 400;
constexpr int kMaxWidth = 4000;
constexpr int kMaxHeight = 2000;
constexpr int kMinPaneHeight = 50;
constexpr int kFindHeight = 22;

const std::string& SettingsFile() {
    return App().Context().settingsPath;
}

RECT ChildRectInClient(HWND parent, HWND child) {
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

void CViewerPlacement::Attach(HWND window, HWND findField, HWND list, int barId, int paneId) {
    window_ = window;
    findField_ = findField;
    list_ = list;
    bar_ = ::GetDlgItem(window, barId);
    pane_ = ::GetDlgItem(window, paneId);
    splitter_.Attach(window, barId);
    splitter_.SetMinSizes(kMinPaneHeight, kMinPaneHeight);
    splitter_.AddAbove(::GetDlgCtrlID(list));
    splitter_.AddBelow(paneId);
    splitter_.Relayout();
    barRect_ = ChildRectInClient(window, bar_);
    splitterTop_ = ReadSetting(settings::kViewerSplitterTop, SettingsFile());
    // A bar out of reach could never be dragged back, and the height it
    // asks for could exceed the largest the window may have.
    if (splitterTop_ < 0 || splitterTop_ > kMaxHeight - kRoomUnderBarTop) {
        splitterTop_ = settings::kViewerSplitterTop.defaultValue;
    }
    minTrackHeight_ = splitterTop_ + kRoomUnderBarTop;
}

void CViewerPlacement::Apply() {
    const std::string& file = SettingsFile();
    state_ = ReadSetting(settings::kViewerState, file);
    left_ = ReadSetting(settings::kViewerLeft, file);
    width_ = ReadSetting(settings::kViewerWidth, file);
    top_ = ReadSetting(settings::kViewerTop, file);
    height_ = ReadSetting(settings::kViewerHeight, file);
    ::MoveWindow(window_, left_, top_, width_, height_, TRUE);
    // A place saved on a screen that is gone would leave the window out of
    // sight.
    const POINT place = KeptOnScreen(window_, {left_, top_});
    if (place.x != left_ || place.y != top_) {
        ::SetWindowPos(window_, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    // A saved size the window already had sends no size notice.
    if (sizeCount_ == 0) {
        Layout();
    }
    if (state_ == 1) {
        ::ShowWindow(window_, SW_MINIMIZE);
    } else if (state_ == 2) {
        ::ShowWindow(window_, SW_MAXIMIZE);
    }
}

void CViewerPlacement::Layout() {
    if (!list_ || !bar_ || !pane_) {
        return;
    }
    ++sizeCount_;
    RECT client = {};
    ::GetClientRect(window_, &client);
    // The find field, when shown, takes the top; the list keeps what is
    // left above the bar.
    if (findField_ && ::IsWindowVisible(findField_)) {
        ::MoveWindow(findField_, client.left, client.top, client.right - client.left, kFindHeight,
                     TRUE);
        client.top += kFindHeight;
    }
    if (sizeCount_ == 1) {
        barRect_.top = splitterTop_;
        barRect_.bottom = splitterTop_ + kBarHeight;
    }
    const int width = client.right - client.left;
    const int paneHeight = std::max(0, static_cast<int>(client.bottom - barRect_.bottom));
    ::MoveWindow(bar_, client.left, barRect_.top, width, kBarHeight, TRUE);
    ::MoveWindow(list_, client.left, client.top, width,
                 std::max(0, static_cast<int>(barRect_.top - client.top)), TRUE);
    // Until the bar moves below the field, the field covers nothing: the
    // list has no height.
    ::MoveWindow(pane_, client.left, barRect_.bottom, width, paneHeight, TRUE);
    // Only the parts a move uncovers are repainted, and the list's header
    // and border are drawn to the width they had: shrunk or grown, they
    // would keep lines of the old width. The list is drawn afresh whole.
    ::RedrawWindow(list_, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CViewerPlacement::OnBarMoved() {
    barRect_ = ChildRectInClient(window_, bar_);
    minTrackHeight_ = barRect_.top + kRoomUnderBarTop;
}

void CViewerPlacement::Limit(MINMAXINFO& limits) const {
    limits.ptMinTrackSize = {kMinWidth, minTrackHeight_};
    limits.ptMaxTrackSize = {kMaxWidth, kMaxHeight};
}

void CViewerPlacement::Save() {
    // A window whose start-up never placed it has nothing worth keeping.
    if (!window_) {
        return;
    }
    const std::string& file = SettingsFile();
    RECT rect = {};
    ::GetWindowRect(window_, &rect);
    if (::IsZoomed(window_)) {
        state_ = 2;
    } else if (::IsIconic(window_)) {
        state_ = 1;
    } else {
        // Only a normal window's place is worth keeping: a minimised or
        // maximised one keeps the place it opened with.
        state_ = 0;
        left_ = rect.left;
        top_ = rect.top;
        width_ = rect.right - rect.left;
        height_ = rect.bottom - rect.top;
    }
    WriteSetting(settings::kViewerState, state_, file);
    WriteSetting(settings::kViewerLeft, left_, file);
    WriteSetting(settings::kViewerWidth, width_, file);
    WriteSetting(settings::kViewerTop, top_, file);
    WriteSetting(settings::kViewerHeight, height_, file);
    barRect_ = ChildRectInClient(window_, bar_);
    splitterTop_ = barRect_.top;
    WriteSetting(settings::kViewerSplitterTop, splitterTop_, file);
}
