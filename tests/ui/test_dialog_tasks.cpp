// Archive, Restore and Stop pressed in the main dialog, against the test
// host and a real archive file.
#include "db/archive_schema.h"
#include "testhost/mailstore/mailbox_file.h"
#include "tests/ui/ui_fixture.h"

namespace {

std::string Mail(const std::string& subject) {
    return MakeMessage("ann@example.com", subject, "Mon, 4 Dec 2006 10:00:00 +0000", "Hi\r\n");
}

class DialogTasks : public DialogTest {
protected:
    const CTreeCtrl& Mailboxes() const { return dialog->trees().mailboxTree(); }
    const CTreeCtrl& Archives() const { return dialog->trees().archiveTree(); }
    void Tick(const CTreeCtrl& tree, const std::string& caption) {
        const HTREEITEM item = FindItem(tree, caption);
        ASSERT_NE(nullptr, item) << caption;
        ::SendMessageA(tree.hwnd(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        ClickCheckBox(tree, item);
        PumpWaitingMessages();
    }
    std::string LogText() const { return ReadBytes(LogPath()); }
};

TEST_F(DialogTasks, ArchiveAndRestoreThroughTheButtonsRefreshBothTrees) {
    host.AddMessage("Work", Mail("one"));
    host.AddMessage("Work", Mail("two"));
    const HWND window = OpenDialog().hwnd();
    PressButton(window, IDC_DELETE_ARCHIVED);
    Tick(Mailboxes(), "Work (2)");

    // The log window stays hidden while the task runs, Stop is the one
    // button to press, and Ctrl+L does nothing then.
    bool logHiddenDuringTask = false;
    bool stopEnabledDuringTask = false;
    bool closeDisabledDuringTask = false;
    bool logStillHiddenAfterCtrlL = false;
    const HWND logWindow = dialog->logWindow()->hwnd();
    const LaterOnThisThread duringTask(
        10,
        [&] {
            logHiddenDuringTask = !::IsWindowVisible(logWindow);
            stopEnabledDuringTask = IsEnabled(window, IDC_STOP);
            closeDisabledDuringTask = !IsEnabled(window, IDC_CLOSE);
            PressKey(::GetDlgItem(window, IDC_PROGRESS), 'L', true);
            logStillHiddenAfterCtrlL = !::IsWindowVisible(logWindow);
            // Neither closing nor the filter may change under the task.
            PressKey(::GetDlgItem(window, IDC_PROGRESS), 'W', true);
            PressButton(window, IDC_CLOSE);
            ::SendMessageA(window, WM_COMMAND, IDC_SUBJECT_TEST, 0);
            ::SendMessageA(window, WM_COMMAND, IDC_DELETE_ARCHIVED, 0);
        },
        [&] { return dialog->taskRunning(); });
    // Nothing pumps messages between here and the task's own pumping.
    PressButton(window, IDC_ARCHIVE);
    EXPECT_TRUE(duringTask.ran());
    EXPECT_TRUE(logHiddenDuringTask);
    EXPECT_TRUE(stopEnabledDuringTask);
    EXPECT_TRUE(closeDisabledDuringTask);
    EXPECT_TRUE(logStillHiddenAfterCtrlL);

    EXPECT_FALSE(dialog->taskRunning());
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_FALSE(dialog->filter().subjectOn);
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(window, IDC_DELETE_ARCHIVED));
    EXPECT_NE(nullptr, FindItem(Mailboxes(), "Work (0)"));
    EXPECT_NE(nullptr, FindItem(Archives(), "Work (2)"));
    EXPECT_FALSE(IsEnabled(window, IDC_STOP));
    EXPECT_TRUE(IsEnabled(window, IDC_ARCHIVE));
    EXPECT_TRUE(IsEnabled(window, IDC_MAILBOX_TREE));
    EXPECT_FALSE(IsEnabled(window, IDC_MATCH_ANY));
    EXPECT_EQ(0, ::SendMessageA(::GetDlgItem(window, IDC_PROGRESS), PBM_GETPOS, 0, 0));
    // Shown after the task, with the report in it.
    EXPECT_TRUE(::IsWindowVisible(logWindow));
    EXPECT_NE(std::string::npos, LogText().find("Archive Messages"));
    EXPECT_TRUE(boxes.boxes().empty());

    Tick(Archives(), "Work (2)");
    PressButton(window, IDC_DELETE_RESTORED);
    PressButton(window, IDC_RESTORE);
    EXPECT_NE(nullptr, FindItem(Mailboxes(), "Work (2)"));
    EXPECT_NE(nullptr, FindItem(Archives(), "Work (0)"));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(DialogTasks, StopEndsTheTaskAndF1StillOpensHelpMeanwhile) {
    for (int i = 0; i < 6; ++i) {
        host.AddMessage("Work", Mail("message " + std::to_string(i)));
    }
    WriteBytes(files / "stowlark.chm", "help");
    WriteBytes(SettingsPath(), "[Log]\r\nDisplayAfterTasks=0\r\n");
    const HWND window = OpenDialog().hwnd();
    Tick(Mailboxes(), "Work (6)");
    const LaterOnThisThread pressStop(
        60,
        [&] {
            PressKey(::GetDlgItem(window, IDC_PROGRESS), VK_F1);
            PressButton(window, IDC_STOP);
        },
        [&] { return dialog->taskRunning(); });
    PressButton(window, IDC_ARCHIVE);
    ASSERT_TRUE(pressStop.ran());
    ASSERT_EQ(1u, launches.launches().size());
    EXPECT_EQ(files / "stowlark.chm", launches.launches()[0].target);

    EXPECT_NE(std::string::npos, LogText().find("Task stopped at "));
    const HTREEITEM work = FindItem(Archives(), "Work (6)");
    EXPECT_EQ(nullptr, work) << "every message was archived before Stop took effect";
    EXPECT_TRUE(IsEnabled(window, IDC_CLOSE));
    // The keyboard is back where the ticking was done.
    EXPECT_EQ(::GetDlgItem(window, IDC_MAILBOX_TREE), ::GetFocus());
    // The toggle is off: the log stays hidden.
    EXPECT_FALSE(::IsWindowVisible(dialog->logWindow()->hwnd()));
}

// The host's window is disabled while the dialog runs; should it go away all
// the same, the task stops as Stop stops it and the dialog goes with it.
TEST_F(DialogTasks, TheOwnersWindowGoingAwayStopsTheTaskAndClosesTheDialog) {
    for (int i = 0; i < 6; ++i) {
        host.AddMessage("Work", Mail("message " + std::to_string(i)));
    }
    WriteBytes(SettingsPath(), "[Log]\r\nDisplayAfterTasks=0\r\n");
    const HWND owner = ::CreateWindowA("STATIC", "Eudora", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                       300, 200, nullptr, nullptr, nullptr, nullptr);
    const HWND window = OpenDialog(true, owner).hwnd();
    EXPECT_EQ(owner, ::GetWindow(window, GW_OWNER));
    Tick(Mailboxes(), "Work (6)");
    PressButton(window, IDC_DELETE_ARCHIVED);
    const LaterOnThisThread closeHost(
        60, [&] { ::DestroyWindow(owner); }, [&] { return dialog->taskRunning(); });
    PressButton(window, IDC_ARCHIVE);
    ASSERT_TRUE(closeHost.ran());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(dialog->taskRunning());
    EXPECT_NE(std::string::npos, LogText().find("Task stopped at ")) << LogText();
    EXPECT_GT(host.session().store().Mailbox(host.MailboxPath("Work.mbx")).Count(), 0u);
    EXPECT_EQ("1", SettingText("Settings", "DeleteArchived"));
    EXPECT_EQ(nullptr, App().Context().mainDialogWindow);
}

TEST_F(DialogTasks, MailboxesOfOneNameInTwoFoldersKeepTheirOwnArchives) {
    ::CreateDirectoryA(host.MailboxPath("Projects.fol").c_str(), nullptr);
    const std::vector<std::string> top = {Mail("top one"), Mail("top two")};
    for (const std::string& message : top) {
        host.AddMessage("work", message);
    }
    host.AddMessage("Projects.fol\\Work", Mail("in the folder"));
    const HWND window = OpenDialog().hwnd();
    PressButton(window, IDC_DELETE_ARCHIVED);
    Tick(Mailboxes(), "work (2)");
    Tick(Mailboxes(), "Work (1)");
    PressButton(window, IDC_ARCHIVE);

    // Each archive item counts its own mailbox's rows, at once and after
    // the dialog opens again.
    EXPECT_NE(nullptr, FindItem(Archives(), "work (2)"));
    EXPECT_NE(nullptr, FindItem(Archives(), "Work (1)"));
    CloseDialog();
    // The host keeps running: a second start would take its registration.
    dialog = std::make_unique<CArchiveDlg>();
    ASSERT_TRUE(dialog->Create());
    PumpWaitingMessages();
    EXPECT_NE(nullptr, FindItem(Archives(), "work (2)"));
    EXPECT_NE(nullptr, FindItem(Archives(), "Work (1)"));

    // And a restore through one of them brings back only its messages.
    Tick(Archives(), "work (2)");
    PressButton(dialog->hwnd(), IDC_RESTORE);
    const MailboxFile& work = host.session().store().Mailbox(host.MailboxPath("work.mbx"));
    ASSERT_EQ(2u, work.Count());
    EXPECT_EQ(top[0], work.RawText(0));
    EXPECT_EQ(top[1], work.RawText(1));
    EXPECT_EQ(0u,
              host.session().store().Mailbox(host.MailboxPath("Projects.fol\\Work.mbx")).Count());
    CloseDialog();
}

} // namespace
