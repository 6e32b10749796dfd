// The dialogs' access keys: which letters each has, and that a letter
// several controls share only moves the focus among them while a letter of
// one control's own presses it.
#include "base/file_utils.h"
#include "tests/ui/ui_fixture.h"
#include "ui/about_dialog.h"
#include "ui/access_keys.h"
#include "ui/window_ops.h"

#include <map>

namespace {

using AccessKeys = DialogTest;
using KeyTable = std::map<char, std::vector<std::string>>;

KeyTable KeysOf(HWND dialog) {
    KeyTable table;
    for (const AccessKey& key : DialogAccessKeys(dialog)) {
        table[key.key].push_back(WindowText(key.control));
    }
    return table;
}

// Alt and the letter, at the control that has the keyboard.
void AltKey(char letter) {
    PressKey(::GetFocus(), static_cast<UINT>(letter), false, false, true);
}

TEST_F(AccessKeys, EachDialogHasItsLettersAndTheMainDialogSharesFour) {
    const HWND window = OpenDialog().hwnd();
    EXPECT_EQ((KeyTable{{'?', {"&?"}},
                        {'A', {"&All Messages", "&Archive"}},
                        {'C', {"&Close"}},
                        {'D', {"&Date Range", "En&ds"}},
                        {'F', {"&From-Field"}},
                        {'I', {"F&ind..."}},
                        {'L', {"A&ll Filters"}},
                        {'P', {"&Priority"}},
                        {'R', {"Sta&rts", "&Restore"}},
                        {'S', {"&Status", "&Subject", "&Stop"}},
                        {'T', {"&To-Field"}},
                        {'Y', {"An&y Filter"}}}),
              KeysOf(window));
    EXPECT_EQ((KeyTable{{'C', {"&Clear"}},
                        {'D', {"&Display After Archiving/Restoring"}},
                        {'E', {"&Edit"}}}),
              KeysOf(dialog->logWindow()->hwnd()));
    CAboutDlg about(window);
    ASSERT_TRUE(about.Create());
    EXPECT_EQ((KeyTable{{'H', {"&Home Site"}}}), KeysOf(about.hwnd()));
    CArchiveViewer viewer(window, "None", "None", dialog->connectionString());
    ASSERT_TRUE(viewer.Create());
    EXPECT_TRUE(KeysOf(viewer.hwnd()).empty());
}

TEST_F(AccessKeys, ASharedLetterOnlyMovesTheFocusAndALetterOfItsOwnPresses) {
    const HWND window = OpenDialog().hwnd();
    const auto item = [&](int id) { return ::GetDlgItem(window, id); };
    const CTreeCtrl& tree = dialog->trees().mailboxTree();
    ClickCheckBox(tree, FindItem(tree, "In (0)"));
    PressButton(window, IDC_DELETE_ARCHIVED);
    ::SetFocus(tree.hwnd());
    // A letter typed in the tree is the tree's.
    PressKey(tree.hwnd(), 'A');
    EXPECT_EQ(tree.hwnd(), ::GetFocus());

    // Archive, with deletion, is never pressed; All Messages keeps its tick.
    AltKey('A');
    EXPECT_EQ(item(IDC_ALL_MESSAGES), ::GetFocus());
    AltKey('A');
    EXPECT_EQ(item(IDC_ARCHIVE), ::GetFocus());
    AltKey('A');
    EXPECT_EQ(item(IDC_ALL_MESSAGES), ::GetFocus());
    EXPECT_TRUE(dialog->IsChecked(IDC_ALL_MESSAGES));
    // Stop is disabled: Status and Subject take turns.
    AltKey('S');
    EXPECT_EQ(item(IDC_STATUS_TEST), ::GetFocus());
    AltKey('S');
    EXPECT_EQ(item(IDC_SUBJECT_TEST), ::GetFocus());
    AltKey('S');
    EXPECT_EQ(item(IDC_STATUS_TEST), ::GetFocus());
    EXPECT_FALSE(dialog->IsChecked(IDC_STATUS_TEST));
    EXPECT_FALSE(dialog->IsChecked(IDC_SUBJECT_TEST));

    // A letter of its own presses its control, and with the focus on a
    // button the letter alone does.
    AltKey('P');
    EXPECT_TRUE(dialog->IsChecked(IDC_PRIORITY_TEST));
    EXPECT_EQ(item(IDC_PRIORITY_TEST), ::GetFocus());
    PressKey(::GetFocus(), 'L');
    EXPECT_TRUE(dialog->filter().matchAll);

    // A label shares its letter too, and hands the focus to its picker.
    PressButton(window, IDC_DATE_TEST);
    ::SetFocus(item(IDC_DATE_TEST));
    PressKey(::GetFocus(), 'D');
    EXPECT_EQ(item(IDC_DATE_END), ::GetFocus());
    AltKey('D');
    EXPECT_EQ(item(IDC_DATE_TEST), ::GetFocus());
    EXPECT_TRUE(dialog->IsChecked(IDC_DATE_TEST));
    AltKey('R');
    EXPECT_EQ(item(IDC_DATE_START), ::GetFocus());
    AltKey('R');
    EXPECT_EQ(item(IDC_RESTORE), ::GetFocus());

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_FALSE(FileExists(LogPath()));
    AltKey('C');
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(AccessKeys, TheLogWindowAndTheAboutDialogAnswerTheirLetters) {
    const HWND window = OpenDialog().hwnd();
    CLogDlg& log = *dialog->logWindow();
    log.ShowLog();
    const bool displayAfter = log.displayAfterTasks();
    AltKey('D');
    EXPECT_NE(displayAfter, log.displayAfterTasks());

    CAboutDlg about(window);
    ASSERT_TRUE(about.Create());
    ::ShowWindow(about.hwnd(), SW_SHOW);
    PressKey(about.hwnd(), 'H', false, false, true);
    ASSERT_EQ(1u, launches.launches().size());
    EXPECT_EQ(CAboutDlg::kHomeSite, launches.launches()[0].target);
}

} // namespace
