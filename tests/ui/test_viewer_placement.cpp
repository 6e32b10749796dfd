// Where the viewer stands and how it shares its area: what it keeps when it
// closes, what it makes of settings out of reach, and how it repaints.
#include "base/file_utils.h"
#include "base/settings.h"
#include "tests/ui/viewer_fixture.h"
#include "ui/gdi_resources.h"
#include "ui/viewer_closed_notice.h"

#include <gmock/gmock.h>

namespace {

using UniqueMemoryDc = UniqueResource<NullHandleTraits<HDC, ::DeleteDC>>;

// The window's client area as the screen shows it now.
std::vector<DWORD> ClientPixels(HWND window) {
    RECT client = {};
    ::GetClientRect(window, &client);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = client.right;
    format.bmiHeader.biHeight = -client.bottom;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const UniqueBitmap picture(
        ::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    const WindowDC shown(window, DCX_CACHE);
    const UniqueMemoryDc memory(::CreateCompatibleDC(shown.get()));
    if (!picture || !shown || !memory) {
        return {};
    }
    {
        const SelectedObject selected(memory.get(), picture.get());
        ::BitBlt(memory.get(), 0, 0, client.right, client.bottom, shown.get(), 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    const DWORD* first = static_cast<const DWORD*>(bits);
    return std::vector<DWORD>(first, first + client.right * client.bottom);
}

// Once the queue is empty the window shows what it would draw afresh: no
// part it should have painted again is left as it was.
bool ShowsWhatItWouldDrawAfresh(HWND window) {
    PumpWaitingMessages();
    const std::vector<DWORD> shown = ClientPixels(window);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpWaitingMessages();
    return !shown.empty() && shown == ClientPixels(window);
}

TEST_F(ArchiveViewerTest, EscapeDoesNothingAndClosingKeepsPlacementWidthsAndBar) {
    App().Context().mainDialogWindow =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CArchiveViewer& window = OpenViewer();
    const HWND hwnd = window.hwnd();
    // Defaults: the top-left corner, 401 by 201, the bar at 71, and no
    // smaller than 400 by 146.
    RECT rect = {};
    ::GetWindowRect(hwnd, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(401, rect.right - rect.left);
    EXPECT_EQ(201, rect.bottom - rect.top);
    RECT bar = {};
    ::GetWindowRect(::GetDlgItem(hwnd, IDC_VIEWER_SPLITTER), &bar);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(71, bar.top);
    MINMAXINFO limits = {};
    ::SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(400, limits.ptMinTrackSize.x);
    EXPECT_EQ(146, limits.ptMinTrackSize.y);

    PressKey(window.list().hwnd(), VK_ESCAPE);
    PumpWaitingMessages();
    ASSERT_TRUE(::IsWindow(hwnd));

    ::MoveWindow(hwnd, 30, 40, 500, 300, TRUE);
    window.list().SetColumnWidth(1, 140);
    const std::string previewFile = window.previewPath();
    // Not pumped, so that the notice waits for the test.
    ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ("0", SettingText("Windows", "ArchiveState"));
    EXPECT_EQ("30", SettingText("Windows", "ArchiveLeft"));
    EXPECT_EQ("40", SettingText("Windows", "ArchiveTop"));
    EXPECT_EQ("500", SettingText("Windows", "ArchiveWidth"));
    EXPECT_EQ("300", SettingText("Windows", "ArchiveHeight"));
    EXPECT_EQ("71", SettingText("Windows", "SplitterTop"));
    EXPECT_EQ("140", SettingText("Global Column Widths", "Subject"));
    EXPECT_EQ("100", SettingText("Global Column Widths", "From"));
    EXPECT_EQ("50", SettingText("Global Column Widths", "Size"));
    EXPECT_FALSE(FileExists(previewFile));

    // The main dialog hears of it, with the closed window's handle.
    MSG notice = {};
    ASSERT_TRUE(::PeekMessageA(&notice, App().Context().mainDialogWindow,
                               App().Context().archiveClosedMessage,
                               App().Context().archiveClosedMessage, PM_REMOVE));
    EXPECT_EQ(1u, notice.wParam);
    EXPECT_EQ(hwnd, TakeClosedViewer(notice.lParam));
    ::DestroyWindow(App().Context().mainDialogWindow);
}

TEST_F(ArchiveViewerTest, AMaximisedViewerKeepsItsNormalPlaceWhenItCloses) {
    WriteInt("Windows", "ArchiveLeft", 10, SettingsPath());
    WriteInt("Windows", "ArchiveTop", 20, SettingsPath());
    WriteInt("Windows", "ArchiveWidth", 450, SettingsPath());
    WriteInt("Windows", "ArchiveHeight", 260, SettingsPath());
    WriteInt("Windows", "SplitterTop", 90, SettingsPath());
    CArchiveViewer& window = OpenViewer();
    MINMAXINFO limits = {};
    ::SendMessageA(window.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(165, limits.ptMinTrackSize.y);
    ::ShowWindow(window.hwnd(), SW_MAXIMIZE);
    CloseViewer();
    EXPECT_EQ("2", SettingText("Windows", "ArchiveState"));
    EXPECT_EQ("10", SettingText("Windows", "ArchiveLeft"));
    EXPECT_EQ("20", SettingText("Windows", "ArchiveTop"));
    EXPECT_EQ("450", SettingText("Windows", "ArchiveWidth"));
    EXPECT_EQ("260", SettingText("Windows", "ArchiveHeight"));
}

TEST_F(ArchiveViewerTest, SettingsOutOfReachGiveAWindowTheUserCanStillUse) {
    WriteInt("Windows", "ArchiveLeft", -30000, SettingsPath());
    WriteInt("Windows", "SplitterTop", 5000, SettingsPath());
    WriteInt("Global Column Widths", "From", -500, SettingsPath());
    WriteText("Global Column Widths", "Subject", "99999999999", SettingsPath());
    CArchiveViewer& window = OpenViewer();
    RECT rect = {};
    ::GetWindowRect(window.hwnd(), &rect);
    EXPECT_GE(rect.left, 0);
    EXPECT_EQ(100, window.list().ColumnWidth(0));
    EXPECT_EQ(100, window.list().ColumnWidth(1));
    MINMAXINFO limits = {};
    ::SendMessageA(window.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(146, limits.ptMinTrackSize.y);
    CloseViewer();
    EXPECT_EQ("71", SettingText("Windows", "SplitterTop"));
    EXPECT_EQ("100", SettingText("Global Column Widths", "From"));
}

TEST_F(ArchiveViewerTest, TheListRepaintsWhatItShowsAfterADragOfTheBarAndAResize) {
    const HWND hwnd = OpenViewer().hwnd();
    const HWND list = viewer->list().hwnd();
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 500, 260, SWP_NOACTIVATE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    const LRESULT rowsInSight = ::SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_GT(4, rowsInSight);

    // Down: the last row comes into sight where the bar was.
    const auto dragBar = [&](int distance) {
        const HWND bar = ::GetDlgItem(hwnd, IDC_VIEWER_SPLITTER);
        ::PostMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 3 + distance));
        ::PostMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(20, 3 + distance));
        ::SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 3));
    };
    dragBar(60);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    EXPECT_LE(4, ::SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_LT(rowsInSight, ::SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_EQ(0, ::SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    dragBar(-40);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));

    ::SetWindowPos(hwnd, nullptr, 0, 0, 420, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    ::SetWindowPos(hwnd, nullptr, 0, 0, 640, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    ::ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
    ::ShowWindow(hwnd, SW_RESTORE);
    EXPECT_TRUE(ShowsWhatItWouldDrawAfresh(hwnd));
}

} // namespace
