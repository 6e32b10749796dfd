// The whole command as a user meets it: the built plug-in loaded by the test
// host, its entry picked from the host's Special menu, and a user script that
// ticks, filters, archives, restores and closes the modal dialog through
// window messages.
#include "db/archive_schema.h"
#include "testhost/ems_host.h"
#include "testhost/host_window.h"
#include "testhost/plugin_window_user.h"
#include "testhost/program_directory.h"
#include "tests/ui/ui_fixture.h"

namespace {

// The id of the first entry of the host's Special menu.
UINT FirstSpecialCommand(HWND hostWindow) {
    const HMENU bar = ::GetMenu(hostWindow);
    for (int i = 0; i < ::GetMenuItemCount(bar); ++i) {
        char text[64] = {};
        ::GetMenuStringA(bar, i, text, sizeof text, MF_BYPOSITION);
        if (std::string(text) == "&Special") {
            return ::GetMenuItemID(::GetSubMenu(bar, i), 0);
        }
    }
    return 0;
}

TEST(SpecialMenuDialog, AUserScriptArchivesAndRestoresThroughTheHostsMenu) {
    RunningHost host;
    host.AddMessage("Work", MakeMessage("ann@example.com", "invoice 7", "", "Pay\r\n"));
    host.AddMessage("Work", MakeMessage("bob@example.com", "lunch", "", "Soup\r\n"));
    host.Start();
    // The plug-in where the host keeps it, with an archive ready so that
    // opening it needs no wait.
    const std::string plugins = host.dataDir() + "\\Plugins";
    ASSERT_TRUE(::CreateDirectoryA(plugins.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA((ProgramDirectory() + "\\stowlark.dll").c_str(),
                            (plugins + "\\stowlark.dll").c_str(), TRUE));
    ASSERT_TRUE(CreateArchiveDatabase(ArchiveConnectionString(plugins + "\\archive.mdb")));

    EmsHost plugin(plugins + "\\stowlark.dll", plugins);
    ASSERT_TRUE(plugin.started());
    HostWindow hostWindow(::GetModuleHandleA(nullptr), host.sessionRef(), &plugin);
    ASSERT_TRUE(hostWindow.Create(SW_SHOWNORMAL));
    const UINT command = FirstSpecialCommand(hostWindow.handle());
    ASSERT_NE(0u, command);

    std::vector<std::string> seen;
    const LaterOnThisThread script(
        100,
        [&] {
            const HWND window = ::FindWindowA("#32770", "Archive Messages");
            ASSERT_NE(nullptr, window);
            const CTreeCtrl mailboxes(::GetDlgItem(window, IDC_MAILBOX_TREE));
            const CTreeCtrl archives(::GetDlgItem(window, IDC_ARCHIVE_TREE));
            ClickCheckBox(mailboxes, FindItem(mailboxes, "Work (2)"));
            PumpWaitingMessages();
            PressButton(window, IDC_SUBJECT_TEST);
            ::SetDlgItemTextA(window, IDC_SUBJECT_TEXT, "invoice");
            PressButton(window, IDC_DELETE_ARCHIVED);
            PressButton(window, IDC_ARCHIVE);
            seen.push_back(archives.ItemText(FindItem(archives, "Work (1)")));
            seen.push_back(mailboxes.ItemText(FindItem(mailboxes, "Work (1)")));

            ClickCheckBox(archives, FindItem(archives, "Work (1)"));
            PumpWaitingMessages();
            PressButton(window, IDC_RESTORE);
            seen.push_back(mailboxes.ItemText(FindItem(mailboxes, "Work (2)")));
            // The plug-in's own loop runs the dialog: the button, not a key
            // that this test's pumping would take first.
            PressButton(window, IDC_CLOSE);
        },
        // Shown once its start-up is done.
        [] { return ::IsWindowVisible(::FindWindowA("#32770", "Archive Messages")) != FALSE; });
    // Should the script go wrong, a box of the plug-in's or its dialog would
    // wait for ever: someone closes them in the end.
    const PluginWindowUser safetyNet(hostWindow.handle(), 25000, "");
    ::PostMessageA(hostWindow.handle(), WM_COMMAND, command, 0);
    EXPECT_TRUE(PumpUntil(
        [&] { return script.ran() && !::FindWindowA("#32770", "Archive Messages"); }, 30000));

    EXPECT_EQ((std::vector<std::string>{"Work (1)", "Work (1)", "Work (2)"}), seen);
    EXPECT_NE(plugin.transcript().end(),
              std::find(plugin.transcript().begin(), plugin.transcript().end(),
                        "ems_special_hook(1) -> 0"));
    EXPECT_TRUE(plugin.problems().empty());
    const std::string settings = plugins + "\\stowlark.ini";
    EXPECT_EQ("invoice", SettingText(settings, "Filters", "MatchSubject"));
    EXPECT_EQ("1", SettingText(settings, "Settings", "DeleteArchived"));
    const std::string log = ReadBytes(plugins + "\\stowlark.log");
    EXPECT_NE(std::string::npos, log.find("Task Type: Archive Messages"));
    EXPECT_NE(std::string::npos, log.find("Task Type: Restore Messages"));
    // The invoice went to the archive, to Trash and back.
    EXPECT_EQ(2u, host.session().store().Mailbox(host.MailboxPath("Work.mbx")).Count());
    ::DestroyWindow(hostWindow.handle());
}

} // namespace
