// The whole command as the host starts it: the Special-menu entry runs the
// main dialog modally, and a user script ticks, filters, archives, restores
// and closes it through window messages.
#include "db/archive_schema.h"
#include "plugin/ems_records.h"
#include "tests/ui/ui_fixture.h"

namespace {

class SpecialMenuDialog : public DialogTest {
protected:
    long PickArchiveMessages() {
        std::string configDir = host.dataDir() + "\\Plugins";
        EmsMailConfig config = {};
        config.configDir = &configDir[0];
        EmsPluginInfo info = {};
        EXPECT_EQ(0, ems_plugin_init(nullptr, 7, &config, &info));
        ems_free(info.description);
        ems_free(info.icon);
        PluginContext& context = App().Context();
        context.settingsPath = SettingsPath();
        context.logPath = LogPath();
        context.helpPath = files / "stowlark.chm";
        context.databasePath = DatabasePath();
        EXPECT_TRUE(CreateArchiveDatabase(ArchiveConnectionString(DatabasePath())));

        EmsMenu menu = {};
        menu.size = sizeof menu;
        menu.id = 1;
        return ems_special_hook(nullptr, &menu);
    }
};

TEST_F(SpecialMenuDialog, AUserScriptArchivesAndRestoresThroughTheModalDialog) {
    host.AddMessage("Work", MakeMessage("ann@example.com", "invoice 7", "", "Pay\r\n"));
    host.AddMessage("Work", MakeMessage("bob@example.com", "lunch", "", "Soup\r\n"));
    host.Start();

    std::vector<std::string> seen;
    const LaterOnThisThread script(100, [&] {
        const HWND window = App().Context().mainDialogWindow;
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
        PressKey(::GetDlgItem(window, IDC_MAILBOX_TREE), 'W', true);
    });
    EXPECT_EQ(0, PickArchiveMessages());
    EXPECT_TRUE(script.ran());
    EXPECT_EQ((std::vector<std::string>{"Work (1)", "Work (1)", "Work (2)"}), seen);
    EXPECT_EQ(nullptr, App().Context().mainDialogWindow);
    EXPECT_TRUE(boxes.boxes().empty()) << boxes.boxes()[0].text;
    EXPECT_EQ("invoice", SettingText("Filters", "MatchSubject"));
    EXPECT_EQ("1", SettingText("Settings", "DeleteArchived"));
    const std::string log = ReadBytes(LogPath());
    EXPECT_NE(std::string::npos, log.find("Archive Messages"));
    EXPECT_NE(std::string::npos, log.find("Restore Messages"));
}

} // namespace
