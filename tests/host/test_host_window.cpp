// The host's windows as the plug-in meets them: mailbox windows found and
// closed by caption, the status line.
#include "host/host_application.h"
#include "plugin/window_utils.h"
#include "testhost/host_window.h"
#include "tests/host/host_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

void PumpAll() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

TEST(HostWindow, OpensMailboxWindowsThatThePlugInCanClose) {
    RunningHost host;
    host.Start();
    HostWindow window(::GetModuleHandleA(nullptr), host.sessionRef(), nullptr);
    ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));

    HostApplication app = HostApplication::Connect();
    app.Folders().Add("Pending");
    app.FolderByName("Pending").Open();
    app.FolderByName("Pending").Open(); // a second Open activates the same window
    PumpAll();
    HWND pending = ::FindWindowExA(window.mdiClient(), nullptr, nullptr, "Pending");
    ASSERT_NE(nullptr, pending);
    EXPECT_EQ(nullptr, ::FindWindowExA(window.mdiClient(), pending, nullptr, "Pending"));

    EXPECT_FALSE(CloseHostMailboxWindow("In"));
    EXPECT_TRUE(CloseHostMailboxWindow("Pending"));
    PumpAll();
    EXPECT_FALSE(::IsWindow(pending));
    EXPECT_FALSE(CloseHostMailboxWindow("Pending"));

    app.SetStatusText("Restoring messages to In. ");
    HWND status = ::FindWindowExA(window.handle(), nullptr, STATUSCLASSNAMEA, nullptr);
    char text[128] = "";
    ::SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Restoring messages to In. ", text);
}

} // namespace
