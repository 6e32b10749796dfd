// The main dialog and the archive viewer handed a garbled settings file, an
// archive that is no database, and archive tables of the wrong shape.
#include "db/archive_schema.h"
#include "base/settings_keys.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/hostile/hostile_support.h"
#include "tests/ui/ui_fixture.h"
#include "ui/archive_viewer.h"
#include "ui/window_ops.h"

#include <gmock/gmock.h>

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::Ge;
using ::testing::HasSubstr;
using ::testing::Lt;

namespace {

class HostileWindows : public DialogTest {
protected:
    int Selection(int comboId) const {
        return static_cast<int>(
            ::SendMessageA(::GetDlgItem(dialog->hwnd(), comboId), CB_GETCURSEL, 0, 0));
    }
    size_t CountIn(const std::string& mailbox) {
        return host.session().store().Mailbox(host.MailboxPath(mailbox + ".mbx")).Count();
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const CapturedMessageBox& box : boxes.boxes()) {
            texts.push_back(box.text);
        }
        return texts;
    }
};

TEST_F(HostileWindows, AGarbledSettingsFileOpensTheDialogAndClosingLeavesASaneOne) {
    WriteBytes(SettingsPath(), GarbledSettings());
    const HWND window = OpenDialog().hwnd();
    ASSERT_TRUE(::IsWindow(window));
    // A location no path can be is passed over for the archive beside the plug-in.
    EXPECT_EQ(ArchiveConnectionString(DatabasePath()), dialog->connectionString());
    // The lists show the very entries the filter uses.
    EXPECT_EQ(dialog->filter().statusIndex, Selection(IDC_STATUS_LIST));
    EXPECT_EQ(dialog->filter().priorityIndex, Selection(IDC_PRIORITY_LIST));
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    EXPECT_NE(nullptr, ::MonitorFromPoint({rect.left, rect.top}, MONITOR_DEFAULTTONULL));

    CloseDialog();
    EXPECT_FALSE(::IsWindow(window));
    MessageFilter written;
    written.loadFromSettings(SettingsPath());
    EXPECT_THAT(written.statusIndex, AllOf(Ge(0), Lt(kStatusCount)));
    EXPECT_THAT(written.priorityIndex, AllOf(Ge(0), Lt(kPriorityCount)));
    EXPECT_THAT(SettingText("Settings", "DeleteArchived"), ::testing::AnyOf("0", "1"));
    EXPECT_THAT(SettingText("Settings", "DeleteRestored"), ::testing::AnyOf("0", "1"));
    const POINT saved = {ReadSetting(settings::kMainLeft, SettingsPath()),
                         ReadSetting(settings::kMainTop, SettingsPath())};
    EXPECT_NE(nullptr, ::MonitorFromPoint(saved, MONITOR_DEFAULTTONULL));
}

TEST_F(HostileWindows, AFilterTextIsHeldToWhatTheSettingsFileGivesBack) {
    // The settings file gives back 254 characters; a longer text would come
    // back cut and match messages the user left out, so none can be typed.
    const std::string longest = "Quarterly report " + std::string(237, '.');
    HWND window = OpenDialog().hwnd();
    for (const int field : {IDC_FROM_TEXT, IDC_SUBJECT_TEXT, IDC_TO_TEXT}) {
        EXPECT_EQ(254, ::SendDlgItemMessageA(window, field, EM_GETLIMITTEXT, 0, 0));
    }
    PressButton(window, IDC_SUBJECT_TEST);
    ::SetDlgItemTextA(window, IDC_SUBJECT_TEXT, longest.c_str());
    CloseDialog();

    window = OpenDialog().hwnd();
    EXPECT_TRUE(dialog->filter().subjectOn);
    EXPECT_EQ(longest, dialog->filter().subjectText);
    EXPECT_EQ(longest, WindowText(::GetDlgItem(window, IDC_SUBJECT_TEXT)));
    CloseDialog();
}

TEST_F(HostileWindows, AnArchiveThatIsNoDatabaseLeavesTheDialogUsableAndTheFileAsItWas) {
    const std::string bytes = PseudoRandomBytes(32768, 3);
    WriteBytes(DatabasePath(), bytes);
    host.AddMessage("Work", MakeMessage("a@example.com", "one", "", "1\r\n"));
    host.AddMessage("Work", MakeMessage("a@example.com", "two", "", "2\r\n"));
    const HWND window = OpenDialog().hwnd();
    ASSERT_TRUE(::IsWindow(window));
    ASSERT_FALSE(boxes.boxes().empty());
    EXPECT_THAT(boxes.boxes()[0].text, HasSubstr(DatabasePath()));

    const CTreeCtrl& mailboxes = dialog->trees().mailboxTree();
    const HTREEITEM work = FindItem(mailboxes, "Work (2)");
    ASSERT_NE(nullptr, work);
    ClickCheckBox(mailboxes, work);
    PumpWaitingMessages();
    PressButton(window, IDC_DELETE_ARCHIVED);
    PressButton(window, IDC_ARCHIVE);
    EXPECT_FALSE(dialog->taskRunning());
    EXPECT_EQ(2u, CountIn("Work"));
    EXPECT_EQ(0u, CountIn("Trash"));

    CloseDialog();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(bytes, ReadBytes(DatabasePath()));
}

TEST_F(HostileWindows, TheViewerOnTablesOfTheWrongShapeShowsEachRowsOwnMessageAndChangesNothing) {
    const std::string connection = ArchiveConnectionString(DatabasePath());
    ASSERT_TRUE(CreateArchiveDatabase(connection));
    {
        CADODatabase database;
        ASSERT_TRUE(database.Open(connection));
        for (const char* statement : {
                 "CREATE TABLE Mailbox_Bare (x INTEGER)",
                 "INSERT INTO Mailbox_Bare VALUES (1)",
                 "CREATE TABLE Mailbox_Odd (id, S TEXT, P, [From], [Date] INTEGER, Size TEXT, "
                 "Subject, [To], message)",
                 // Two rows with one id, as two archive runs of one mailbox leave them.
                 "INSERT INTO Mailbox_Odd VALUES (7, 1, 'High', 'ann', 'Mon 12/04/2006 10:00', "
                 "2, 'first', 'bob', 'Subject: first\r\n\r\nthe first text')",
                 "INSERT INTO Mailbox_Odd VALUES (7, 1, 'High', 'ann', 'Mon 12/04/2006 10:00', "
                 "2, 'second', 'bob', 'Subject: second\r\n\r\nthe second text')",
                 "INSERT INTO Mailbox_Odd VALUES (NULL, 'x', NULL, NULL, NULL, 'big', NULL, "
                 "NULL, NULL)",
                 "INSERT INTO Mailbox_Odd VALUES ('id', 99999, x'00', 12, 3.5, -1, x'4142', "
                 "NULL, 42)",
                 // No row ids to find a message by: its id has to do.
                 "CREATE TABLE Mailbox_Keyed (id INTEGER PRIMARY KEY, S, P, [From], [Date], "
                 "Size, Subject, [To], message) WITHOUT ROWID",
                 "INSERT INTO Mailbox_Keyed VALUES (3, 0, 'Low', 'cy', 'Tue 12/05/2006 11:00', "
                 "1, 'keyed', 'dee', 'Subject: keyed\r\n\r\nthe keyed text')",
             }) {
            ASSERT_TRUE(database.Execute(statement)) << statement;
        }
    }
    const std::string before = ReadBytes(DatabasePath());

    // Both are listed, with their row counts.
    OpenDialog();
    const CTreeCtrl& archives = dialog->trees().archiveTree();
    EXPECT_NE(nullptr, FindItem(archives, "Bare (1)"));
    EXPECT_NE(nullptr, FindItem(archives, "Odd (4)"));
    CloseDialog();
    App().Context().mainDialogWindow = nullptr;

    auto viewer = std::make_unique<CArchiveViewer>(nullptr, "Mailbox_Bare", "Bare", connection);
    ASSERT_TRUE(viewer->Create());
    PumpWaitingMessages();
    EXPECT_EQ(0, viewer->list().ItemCount());
    EXPECT_THAT(BoxTexts(), Contains(::testing::Not(::testing::IsEmpty())));
    ::SendMessageA(viewer->hwnd(), WM_CLOSE, 0, 0);
    PumpWaitingMessages();

    viewer = std::make_unique<CArchiveViewer>(nullptr, "Mailbox_Odd", "Odd", connection);
    ASSERT_TRUE(viewer->Create());
    ::ShowWindow(viewer->hwnd(), SW_SHOW);
    PumpWaitingMessages();
    ASSERT_EQ(4, viewer->list().ItemCount());
    for (int row = 0; row < viewer->list().ItemCount(); ++row) {
        viewer->list().SetItemState(-1, 0, LVIS_SELECTED);
        viewer->list().SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        PumpWaitingMessages();
        const std::string subject = viewer->RowAt(row)->subject();
        SCOPED_TRACE(subject);
        if (subject == "first" || subject == "second") {
            EXPECT_THAT(viewer->pageText(), HasSubstr("the " + subject + " text"));
        }
    }
    ::SendMessageA(viewer->hwnd(), WM_CLOSE, 0, 0);
    PumpWaitingMessages();

    viewer = std::make_unique<CArchiveViewer>(nullptr, "Mailbox_Keyed", "Keyed", connection);
    ASSERT_TRUE(viewer->Create());
    PumpWaitingMessages();
    ASSERT_EQ(1, viewer->list().ItemCount());
    viewer->list().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    PumpWaitingMessages();
    EXPECT_THAT(viewer->pageText(), HasSubstr("the keyed text"));
    ::SendMessageA(viewer->hwnd(), WM_CLOSE, 0, 0);
    PumpWaitingMessages();
    viewer.reset();
    EXPECT_EQ(before, ReadBytes(DatabasePath()));
}

} // namespace
