// The main dialog's start, its filter controls, its keys and what it keeps
// in the settings file from one opening to the next.
#include "mailbox/date_formats.h"
#include "base/file_utils.h"
#include "base/settings.h"
#include "tests/ui/ui_fixture.h"
#include "ui/viewer_closed_notice.h"
#include "ui/window_ops.h"

#include <commctrl.h>

namespace {

using ArchiveDialog = DialogTest;

DATE PickerDay(HWND dialog, int id) {
    SYSTEMTIME time = {};
    ::SendMessageA(::GetDlgItem(dialog, id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    time.wHour = time.wMinute = time.wSecond = time.wMilliseconds = 0;
    DATE day = 0;
    ::SystemTimeToVariantTime(&time, &day);
    return day;
}

bool Checked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

TEST_F(ArchiveDialog, FirstUseOpensHelpAtTheTopLeftWithEveryMessageMatched) {
    WriteBytes(files / "stowlark.chm", "help");
    const HWND window = OpenDialog().hwnd();

    EXPECT_EQ("Archive Messages", WindowText(window));
    EXPECT_EQ(window, App().Context().mainDialogWindow);
    ASSERT_EQ(1u, launches.launches().size());
    EXPECT_EQ(ShellLaunch::OpenDocument, launches.launches()[0].kind);
    EXPECT_EQ(files / "stowlark.chm", launches.launches()[0].target);
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);

    EXPECT_TRUE(Checked(window, IDC_ALL_MESSAGES));
    EXPECT_FALSE(IsEnabled(window, IDC_MATCH_ANY));
    EXPECT_FALSE(IsEnabled(window, IDC_MATCH_ALL));
    EXPECT_TRUE(Checked(window, IDC_MATCH_ANY));
    EXPECT_FALSE(Checked(window, IDC_DELETE_ARCHIVED));
    EXPECT_FALSE(Checked(window, IDC_DELETE_RESTORED));
    EXPECT_FALSE(IsEnabled(window, IDC_STOP));
    EXPECT_FALSE(IsEnabled(window, IDC_STATUS_LIST));
    EXPECT_FALSE(IsEnabled(window, IDC_DATE_START));
    EXPECT_EQ(Today(), PickerDay(window, IDC_DATE_START));
    EXPECT_EQ(Today(), PickerDay(window, IDC_DATE_END));
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(window, IDC_MAILBOX_TREE));
    // The log window exists, hidden.
    ASSERT_NE(nullptr, dialog->logWindow());
    EXPECT_FALSE(::IsWindowVisible(dialog->logWindow()->hwnd()));

    // Only the first use opens the help.
    CloseDialog();
    launches.clear();
    OpenDialog();
    EXPECT_TRUE(launches.launches().empty());
}

TEST_F(ArchiveDialog, TestsSwitchAllMessagesAndTheMatchRulesOnAndOff) {
    const HWND window = OpenDialog().hwnd();

    // Unchecking "All Messages" with no test on leaves it checked.
    PressButton(window, IDC_ALL_MESSAGES);
    EXPECT_TRUE(Checked(window, IDC_ALL_MESSAGES));
    EXPECT_TRUE(dialog->filter().allMessages);

    PressButton(window, IDC_STATUS_TEST);
    EXPECT_TRUE(Checked(window, IDC_STATUS_TEST));
    EXPECT_TRUE(IsEnabled(window, IDC_STATUS_LIST));
    EXPECT_FALSE(Checked(window, IDC_ALL_MESSAGES));
    EXPECT_TRUE(IsEnabled(window, IDC_MATCH_ANY));
    EXPECT_TRUE(IsEnabled(window, IDC_MATCH_ALL));
    PressButton(window, IDC_STATUS_TEST);
    EXPECT_FALSE(IsEnabled(window, IDC_STATUS_LIST));
    EXPECT_TRUE(Checked(window, IDC_ALL_MESSAGES));
    EXPECT_FALSE(IsEnabled(window, IDC_MATCH_ANY));

    // The date test drives both pickers; "All Messages" switches every test
    // off at once.
    PressButton(window, IDC_DATE_TEST);
    PressButton(window, IDC_SUBJECT_TEST);
    EXPECT_TRUE(IsEnabled(window, IDC_DATE_START));
    EXPECT_TRUE(IsEnabled(window, IDC_DATE_END));
    EXPECT_TRUE(IsEnabled(window, IDC_SUBJECT_TEXT));
    PressButton(window, IDC_ALL_MESSAGES);
    EXPECT_TRUE(Checked(window, IDC_ALL_MESSAGES));
    EXPECT_FALSE(Checked(window, IDC_DATE_TEST));
    EXPECT_FALSE(Checked(window, IDC_SUBJECT_TEST));
    EXPECT_FALSE(IsEnabled(window, IDC_DATE_END));
    EXPECT_FALSE(IsEnabled(window, IDC_SUBJECT_TEXT));
    EXPECT_FALSE(IsEnabled(window, IDC_MATCH_ALL));
    EXPECT_FALSE(dialog->filter().dateOn || dialog->filter().subjectOn);

    PressButton(window, IDC_TO_TEST);
    PressButton(window, IDC_MATCH_ALL);
    EXPECT_TRUE(Checked(window, IDC_MATCH_ALL));
    EXPECT_FALSE(Checked(window, IDC_MATCH_ANY));
    EXPECT_TRUE(dialog->filter().matchAll);
    PressButton(window, IDC_MATCH_ANY);
    EXPECT_FALSE(dialog->filter().matchAll);
}

TEST_F(ArchiveDialog, EscapeEnterAndAltF4LeaveItOpenWhileCtrlWClosesIt) {
    const HWND window = OpenDialog().hwnd();
    const HWND tree = ::GetDlgItem(window, IDC_MAILBOX_TREE);
    PressKey(tree, VK_ESCAPE);
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    PressKey(::GetDlgItem(window, IDC_FROM_TEXT), VK_RETURN);
    PumpWaitingMessages();
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_EQ("<none>", SettingText("Windows", "Left"));

    PressKey(tree, 'W', true);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(nullptr, App().Context().mainDialogWindow);
    EXPECT_EQ("0", SettingText("Windows", "Left"));
}

TEST_F(ArchiveDialog, WhatOneDialogWritesTheNextOneShows) {
    HWND window = OpenDialog().hwnd();
    ::SetWindowPos(window, nullptr, 37, 21, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PressButton(window, IDC_DELETE_ARCHIVED);
    PressButton(window, IDC_SUBJECT_TEST);
    ::SetDlgItemTextA(window, IDC_SUBJECT_TEXT, "invoice");
    PressButton(window, IDC_PRIORITY_TEST);
    ::SendMessageA(::GetDlgItem(window, IDC_PRIORITY_LIST), CB_SETCURSEL, 0, 0);
    PressButton(window, IDC_MATCH_ALL);
    SYSTEMTIME start = {};
    start.wYear = 2006;
    start.wMonth = 12;
    start.wDay = 4;
    ::SendMessageA(::GetDlgItem(window, IDC_DATE_START), DTM_SETSYSTEMTIME, GDT_VALID,
                   reinterpret_cast<LPARAM>(&start));
    CloseDialog();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ("1", SettingText("Settings", "DeleteArchived"));
    EXPECT_EQ("0", SettingText("Settings", "DeleteRestored"));
    EXPECT_EQ("37", SettingText("Windows", "Left"));
    EXPECT_EQ("21", SettingText("Windows", "Top"));
    EXPECT_EQ("12/4/2006", SettingText("Filters", "DateStart"));
    // The log window wrote its keys at the same moment.
    EXPECT_EQ("1", SettingText("Log", "DisplayAfterTasks"));

    dialog.reset();
    window = OpenDialog().hwnd();
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(37, rect.left);
    EXPECT_EQ(21, rect.top);
    EXPECT_TRUE(Checked(window, IDC_DELETE_ARCHIVED));
    EXPECT_FALSE(Checked(window, IDC_DELETE_RESTORED));
    EXPECT_TRUE(Checked(window, IDC_SUBJECT_TEST));
    EXPECT_TRUE(IsEnabled(window, IDC_SUBJECT_TEXT));
    EXPECT_EQ("invoice", WindowText(::GetDlgItem(window, IDC_SUBJECT_TEXT)));
    EXPECT_TRUE(Checked(window, IDC_PRIORITY_TEST));
    EXPECT_EQ(0, ::SendMessageA(::GetDlgItem(window, IDC_PRIORITY_LIST), CB_GETCURSEL, 0, 0));
    EXPECT_FALSE(Checked(window, IDC_ALL_MESSAGES));
    EXPECT_TRUE(Checked(window, IDC_MATCH_ALL));
    EXPECT_TRUE(IsEnabled(window, IDC_MATCH_ALL));
    EXPECT_FALSE(IsEnabled(window, IDC_STATUS_LIST));
    EXPECT_FALSE(IsEnabled(window, IDC_DATE_START));
    EXPECT_EQ(*ParseLocaleDate("12/4/2006"), PickerDay(window, IDC_DATE_START));
}

TEST_F(ArchiveDialog, APlaceSavedOffTheScreenComesBackOnIt) {
    WriteBytes(SettingsPath(), "[Windows]\r\nLeft=-5000\r\nTop=9000\r\n");
    const HWND window = OpenDialog().hwnd();
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    EXPECT_GE(rect.left, 0);
    EXPECT_LE(rect.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_GE(rect.top, 0);
}

TEST_F(ArchiveDialog, AnArchiveNamedInTheSettingsButMissingIsToldOnce) {
    const std::string missing = files / "Detached\\archive.mdb";
    WriteBytes(SettingsPath(), "[Settings]\r\nLocation=" + missing + "\r\n");
    OpenDialog();
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("The archive " + missing + " named in the settings was not found, so the archive " +
                  DatabasePath() + " is used instead.",
              boxes.boxes()[0].text);
    EXPECT_FALSE(FileExists(missing));
}

TEST_F(ArchiveDialog, AnArchiveThatCannotBeOpenedIsToldAndRefusedInTheSameWords) {
    std::string damaged = std::string("SQLite format 3\0", 16);
    for (int i = 0; i < 8176; ++i) {
        damaged += static_cast<char>(i * 37 + 11);
    }
    for (const std::string& bytes : {std::string("This is a text file, not an archive.\r\n"),
                                     std::string("nineteen bytes long"), damaged}) {
        SCOPED_TRACE(bytes.substr(0, 20));
        WriteBytes(DatabasePath(), bytes);
        const size_t before = boxes.boxes().size();
        OpenDialog();
        ASSERT_EQ(before + 1, boxes.boxes().size());
        const std::string& told = boxes.boxes().back().text;
        EXPECT_EQ("The archive " + DatabasePath() +
                      " cannot be used: it is not an archive file, or it is damaged. Nothing "
                      "can be archived into it or restored from it. It is left as it is. Close "
                      "this window and open it again once this is put right.",
                  told);
        ExpectArchiveUnusable(told);
        CloseDialog();
        EXPECT_EQ(bytes, ReadBytes(DatabasePath()));
    }
}

TEST_F(ArchiveDialog, ATaskWithNothingTickedOrAnEmptyTestDoesNotStart) {
    const HWND window = OpenDialog().hwnd();
    PressButton(window, IDC_ARCHIVE);
    PressButton(window, IDC_RESTORE);
    ASSERT_EQ(2u, boxes.boxes().size());
    EXPECT_EQ("Please select at least one mail-box.", boxes.boxes()[0].text);
    EXPECT_EQ("Please select at least one mail-archive.", boxes.boxes()[1].text);
    EXPECT_EQ(CStowlarkApp::kAppName, boxes.boxes()[0].caption);

    ClickCheckBox(dialog->trees().mailboxTree(), FindItem(dialog->trees().mailboxTree(), "In (0)"));
    PumpWaitingMessages();
    PressButton(window, IDC_FROM_TEST);
    PressButton(window, IDC_ARCHIVE);
    ASSERT_EQ(3u, boxes.boxes().size());
    EXPECT_EQ("Filter not specified. Please specify From-field.", boxes.boxes()[2].text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(LogPath().c_str()));
    EXPECT_TRUE(IsEnabled(window, IDC_ARCHIVE));
}

TEST_F(ArchiveDialog, HelpAboutAndLogAnswerTheirKeys) {
    WriteBytes(SettingsPath(), "[Settings]\r\n");
    const HWND window = OpenDialog().hwnd();
    const HWND tree = ::GetDlgItem(window, IDC_MAILBOX_TREE);

    // No help file: F1 and "?" do nothing.
    PressKey(tree, VK_F1);
    PressButton(window, IDC_HELP_BUTTON);
    EXPECT_TRUE(launches.launches().empty());
    WriteBytes(files / "stowlark.chm", "help");
    PressKey(tree, VK_F1);
    ASSERT_EQ(1u, launches.launches().size());

    WriteBytes(LogPath(), "first line\r\nlast line\r\n");
    PressKey(tree, 'L', true);
    CLogDlg& log = *dialog->logWindow();
    EXPECT_TRUE(::IsWindowVisible(log.hwnd()));
    char text[64] = {};
    ::GetDlgItemTextA(log.hwnd(), IDC_LOG_TEXT, text, sizeof text);
    EXPECT_STREQ("first line\r\nlast line\r\n", text);

    // Shift+F1 runs the About dialog modally; it is closed from inside.
    HWND about = nullptr;
    std::string caption;
    const LaterOnThisThread closeAbout(200, [&] {
        about = ::GetActiveWindow();
        caption = WindowText(about);
        ::PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
    });
    PressKey(tree, VK_F1, false, true);
    EXPECT_TRUE(PumpUntil([&] { return closeAbout.ran() && !::IsWindow(about); }));
    EXPECT_EQ("About " + std::string(CStowlarkApp::kAppName), caption);
    EXPECT_TRUE(::IsWindow(window));
}

TEST_F(ArchiveDialog, TheTreeMenusOpenOnTheClickedItemAndFromTheKeyboard) {
    host.AddMessage("Work", MakeMessage("a@example.com", "s", "", "b\r\n"));
    const HWND window = OpenDialog().hwnd();
    const CTreeCtrl& tree = dialog->trees().mailboxTree();
    const HTREEITEM work = FindItem(tree, "Work (1)");
    RECT rect = {};
    tree.TextRect(work, rect);

    bool menuShown = false;
    const auto dismissMenu = [&] {
        menuShown = ::FindWindowA("#32768", nullptr) != nullptr;
        ::EndMenu();
    };
    {
        const LaterOnThisThread dismiss(200, dismissMenu);
        RightClickAt(tree.hwnd(), {rect.left + 2, (rect.top + rect.bottom) / 2});
        PumpUntil([&] { return dismiss.ran(); });
    }
    EXPECT_TRUE(menuShown);
    EXPECT_EQ(work, tree.Selected());

    // Shift+F10 opens it once, and the keyboard's menu request works again
    // afterwards.
    int menusShown = 0;
    tree.Select(FindItem(tree, "In (0)"));
    const auto countMenu = [&] {
        menusShown += ::FindWindowA("#32768", nullptr) != nullptr;
        ::EndMenu();
    };
    {
        const LaterOnThisThread dismiss(200, countMenu);
        const LaterOnThisThread again(400, countMenu);
        PressKey(tree.hwnd(), VK_F10, false, true, true);
        PumpUntil([&] { return again.ran(); });
    }
    {
        const LaterOnThisThread dismiss(200, countMenu);
        ::SendMessageA(tree.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree.hwnd()), -1);
        PumpUntil([&] { return dismiss.ran(); });
    }
    EXPECT_EQ(2, menusShown);
    EXPECT_TRUE(::IsWindow(window));
}

TEST_F(ArchiveDialog, EnterOpensAFolderInTheTreeAndAMailboxInTheHost) {
    ::CreateDirectoryA(host.MailboxPath("Projects.fol").c_str(), nullptr);
    host.AddMessage("Projects.fol\\Alpha", MakeMessage("a@example.com", "s", "", "b\r\n"));
    const HWND window = OpenDialog().hwnd();
    const CTreeCtrl& tree = dialog->trees().mailboxTree();
    const HTREEITEM projects = FindItem(tree, "Projects");
    tree.Select(projects);
    PressKey(tree.hwnd(), VK_RETURN);
    EXPECT_TRUE(tree.IsExpanded(projects));
    EXPECT_EQ(tree_image::kOpenFolder, tree.ItemImage(projects));
    EXPECT_TRUE(::IsWindow(window));

    // A mailbox opens in the host, and the dialog makes way for it.
    tree.Select(FindItem(tree, "Alpha (1)"));
    PressKey(tree.hwnd(), VK_RETURN);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ("0", SettingText("Windows", "Top"));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ArchiveDialog, AClosedViewerGivesItsArchiveAndTheTasksBack) {
    const HWND window = OpenDialog().hwnd();
    const HWND viewer = ::CreateWindowA("STATIC", "viewer", WS_POPUP, 0, 0, 10, 10, window, nullptr,
                                        nullptr, nullptr);
    const CTreeCtrl& tree = dialog->trees().archiveTree();
    const HTREEITEM in = FindItem(tree, "In (0)");
    const_cast<CArchiveTrees&>(dialog->trees()).Archive(in)->viewer = viewer;
    tree.SetItemImage(in, tree_image::kArchiveViewed, tree_image::kArchiveViewed);
    ::EnableWindow(::GetDlgItem(window, IDC_ARCHIVE), FALSE);
    ::EnableWindow(::GetDlgItem(window, IDC_RESTORE), FALSE);

    // A notice of the same name that this module did not send is ignored,
    // whatever it points at.
    HWND stranger = viewer;
    ::PostMessageA(window, App().Context().archiveClosedMessage, 1,
                   reinterpret_cast<LPARAM>(&stranger));
    ::PostMessageA(window, App().Context().archiveClosedMessage, 1, 0x1234);
    PumpWaitingMessages();
    EXPECT_FALSE(IsEnabled(window, IDC_ARCHIVE));
    EXPECT_EQ(viewer, dialog->trees().Archive(in)->viewer);

    ASSERT_TRUE(PostViewerClosed(window, viewer));
    PumpWaitingMessages();
    EXPECT_TRUE(IsEnabled(window, IDC_ARCHIVE));
    EXPECT_TRUE(IsEnabled(window, IDC_RESTORE));
    EXPECT_EQ(nullptr, dialog->trees().Archive(in)->viewer);
    EXPECT_EQ(tree_image::kArchive, tree.ItemImage(in));
    ::DestroyWindow(viewer);
}

} // namespace
