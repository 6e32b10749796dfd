// The splitter bar dragged with real mouse messages between two panes of a
// plain parent window.
#include "tests/ui/ui_fixture.h"
#include "ui/splitter_bar.h"

namespace {

constexpr int kListId = 10;
constexpr int kBarId = 11;
constexpr int kPreviewId = 12;

// A parent 200 wide: the list from 0 to 99, the bar from 100 to 106, the
// preview from 108 to the bottom of a client area `height` high.
class SplitterTest : public ::testing::Test {
protected:
    void Build(int height) {
        RECT frame = {0, 0, 200, height};
        ::AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        parent = ::CreateWindowA("#32770", "splitter", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, parent);
        ::SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ParentProc));
        Child("STATIC", kListId, 0, 100);
        Child("STATIC", kBarId, 100, 107);
        Child("EDIT", kPreviewId, 108, height);
        ASSERT_TRUE(bar.Attach(parent, kBarId));
        bar.SetMinSizes(50, 50);
        bar.AddAbove(kListId);
        bar.AddBelow(kPreviewId);
        moves().clear();
    }
    void Child(const char* kind, int id, int top, int bottom) {
        ::CreateWindowA(kind, "", WS_CHILD | WS_VISIBLE, 0, top, 200, bottom - top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    RECT Rect(int id) const {
        RECT rect = {};
        ::GetWindowRect(::GetDlgItem(parent, id), &rect);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    // Presses at 3 pixels into the bar, moves by `distance`, and lets go.
    void Drag(int distance) {
        const HWND barWindow = ::GetDlgItem(parent, kBarId);
        ::PostMessageA(barWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 3 + distance));
        ::PostMessageA(barWindow, WM_LBUTTONUP, 0, MAKELPARAM(20, 3 + distance));
        ::SendMessageA(barWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 3));
    }

    static std::vector<std::pair<int, int>>& moves() {
        static std::vector<std::pair<int, int>> received;
        return received;
    }
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kSplitterMovedMessage) {
            moves().emplace_back(static_cast<int>(wParam), static_cast<int>(lParam));
            return 1;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    void TearDown() override { ::DestroyWindow(parent); }

    // The module's start-up steps load the bar's cursor.
    EntryPointScope entered;
    CSplitterBar bar;
    HWND parent = nullptr;
};

TEST_F(SplitterTest, DraggingMovesTheBarAndBothPanesByTheDistanceAndTellsTheParent) {
    Build(300);
    Drag(20);
    EXPECT_EQ(120, Rect(kBarId).top);
    EXPECT_EQ(127, Rect(kBarId).bottom);
    EXPECT_EQ(0, Rect(kListId).top);
    EXPECT_EQ(119, Rect(kListId).bottom);
    EXPECT_EQ(128, Rect(kPreviewId).top);
    EXPECT_EQ(300, Rect(kPreviewId).bottom);
    ASSERT_EQ(1u, moves().size());
    EXPECT_EQ(20, moves()[0].first);
    EXPECT_EQ(kBarId, moves()[0].second);
    EXPECT_EQ(nullptr, ::GetCapture());

    Drag(-30);
    EXPECT_EQ(90, Rect(kBarId).top);
    EXPECT_EQ(89, Rect(kListId).bottom);
    ASSERT_EQ(2u, moves().size());
    EXPECT_EQ(-30, moves()[1].first);
}

TEST_F(SplitterTest, EscapeEndsTheDragWhereTheBarWasLastDrawnAndFreesTheMouse) {
    Build(300);
    RECT screen = {};
    ::GetClipCursor(&screen);
    const HWND barWindow = ::GetDlgItem(parent, kBarId);
    ::PostMessageA(barWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 3 + 15));
    ::PostMessageA(barWindow, WM_KEYDOWN, VK_ESCAPE, 1);
    ::SendMessageA(barWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 3));
    EXPECT_EQ(115, Rect(kBarId).top);
    ASSERT_EQ(1u, moves().size());
    EXPECT_EQ(15, moves()[0].first);
    EXPECT_EQ(nullptr, ::GetCapture());
    RECT after = {};
    ::GetClipCursor(&after);
    EXPECT_TRUE(::EqualRect(&screen, &after));
}

TEST_F(SplitterTest, AParentClosedDuringTheDragEndsItQuietly) {
    Build(300);
    const HWND barWindow = ::GetDlgItem(parent, kBarId);
    ::PostMessageA(barWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 3 + 15));
    ::PostMessageA(parent, WM_CLOSE, 0, 0);
    ::SendMessageA(barWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 3));
    EXPECT_FALSE(::IsWindow(parent));
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(nullptr, ::GetCapture());
    PumpWaitingMessages();
}

TEST_F(SplitterTest, PressingAndLettingGoWithoutMovingChangesNothing) {
    Build(300);
    Drag(0);
    EXPECT_EQ(100, Rect(kBarId).top);
    EXPECT_EQ(100, Rect(kListId).bottom);
    EXPECT_TRUE(moves().empty());
}

TEST_F(SplitterTest, TheBarStopsShortOfTheLeastRoomOnEitherSide) {
    Build(300);
    Drag(-90);
    // 50 above the top of the list.
    EXPECT_EQ(50, Rect(kBarId).top);
    Drag(400);
    // 50 above the bottom of the preview.
    EXPECT_EQ(250, Rect(kBarId).bottom);
    ASSERT_EQ(2u, moves().size());
    EXPECT_EQ(-50, moves()[0].first);
    EXPECT_EQ(193, moves()[1].first);
}

TEST_F(SplitterTest, WithoutRoomForBothPanesThePressDoesNothing) {
    Build(300);
    // The bar's top may not rise above 200, nor its bottom sink below 150.
    bar.SetMinSizes(200, 150);
    Drag(10);
    EXPECT_EQ(100, Rect(kBarId).top);
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(nullptr, ::GetCapture());
    PumpWaitingMessages();
    // Room for the limits but not for the bar itself between them.
    bar.SetMinSizes(120, 175);
    Drag(10);
    EXPECT_EQ(100, Rect(kBarId).top);
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(nullptr, ::GetCapture());
    // The drag's messages were left alone for whoever wants them.
    PumpWaitingMessages();
}

TEST_F(SplitterTest, TheBarShowsItsOwnCursor) {
    Build(300);
    const HWND barWindow = ::GetDlgItem(parent, kBarId);
    EXPECT_TRUE(::SendMessageA(barWindow, WM_SETCURSOR, reinterpret_cast<WPARAM>(barWindow),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    ASSERT_NE(nullptr, App().Context().splitterCursor);
    EXPECT_EQ(App().Context().splitterCursor, ::GetCursor());
}

} // namespace
