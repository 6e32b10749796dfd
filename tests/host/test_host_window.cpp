// The host's windows as the plug-in meets them: mailbox windows found and
// closed by caption, the status line.
#include "host/host_application.h"
#include "plugin/message_pump.h"
#include "plugin/window_utils.h"
#include "testhost/host_window.h"
#include "tests/host/host_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

TEST(HostWindow, OpensMailboxWindowsThatThePlugInCanClose) {
    RunningHost host;
    host.Start();
    HostWindow window(::GetModuleHandleA(nullptr), host.sessionRef(), nullptr);
    ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));

    HostApplication app = HostApplication::Connect();
    app.Folders().Add("Pending");
    app.FolderByName("Pending").Open();
    app.FolderByName("Pending").Open(); // a second Open activates the same window
    PumpWaitingMessages();
    HWND pending = ::FindWindowExA(window.mdiClient(), nullptr, nullptr, "Pending");
    ASSERT_NE(nullptr, pending);
    EXPECT_EQ(nullptr, ::FindWindowExA(window.mdiClient(), pending, nullptr, "Pending"));

    EXPECT_FALSE(CloseHostMailboxWindow("In"));
    EXPECT_TRUE(CloseHostMailboxWindow("Pending"));
    PumpWaitingMessages();
    EXPECT_FALSE(::IsWindow(pending));
    EXPECT_FALSE(CloseHostMailboxWindow("Pending"));

    app.SetStatusText("Restoring messages to In. ");
    HWND status = ::FindWindowExA(window.handle(), nullptr, STATUSCLASSNAMEA, nullptr);
    char text[128] = "";
    ::SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Restoring messages to In. ", text);
}

TEST(HostWindow, KeepsOneWindowPerMailboxAndClosesThemAllWithItself) {
    RunningHost host;
    ::CreateDirectoryA(host.MailboxPath("Old.fol").c_str(), nullptr);
    host.AddMessage("Old.fol\\In", MakeMessage("a@example.com", "Old", "", "x\r\n"));
    host.Start();
    HWND client = nullptr;
    {
        HostWindow window(::GetModuleHandleA(nullptr), host.sessionRef(), nullptr);
        ASSERT_TRUE(window.Create(SW_SHOWNOACTIVATE));
        EXPECT_FALSE(window.Create(SW_SHOWNOACTIVATE));
        client = window.mdiClient();
        HostApplication app = HostApplication::Connect();
        app.InBox().Open();
        app.FolderByName("Old").Folders().Count();
        HostFolder oldIn = app.FolderByName("Old").Folders().Item(1);
        oldIn.Open();
        app.FolderByName("Trash").Open();
        PumpWaitingMessages();
        // Two mailboxes called In, two windows.
        HWND first = ::FindWindowExA(client, nullptr, nullptr, "In");
        ASSERT_NE(nullptr, first);
        EXPECT_NE(nullptr, ::FindWindowExA(client, first, nullptr, "In"));
    }
    EXPECT_FALSE(::IsWindow(client));
    // Closing the window asked no one to end the test program.
    MSG message;
    EXPECT_FALSE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
