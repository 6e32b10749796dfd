// The log window on its own: placement, showing rules, Clear, Edit and the
// toggle.
#include "base/settings.h"
#include "base/stowlark_app.h"
#include "tests/ui/ui_fixture.h"
#include "ui/log_dialog.h"
#include "ui/window_ops.h"

namespace {

class LogWindow : public ::testing::Test {
protected:
    LogWindow() : log(files / "stowlark.log", files / "stowlark.ini") {}

    std::string BoxText() const {
        char text[4096] = {};
        ::GetDlgItemTextA(log.hwnd(), IDC_LOG_TEXT, text, sizeof text);
        return text;
    }
    std::string Setting(const std::string& section, const std::string& key) const {
        return SettingText(files / "stowlark.ini", section, key);
    }

    ShellLaunchCapture launches;
    TempFolder files;
    CLogDlg log;
};

// Message boxes answered with `answer`, their types kept.
struct Questions {
    Questions()
        : previous(App().SetMessageBoxSink(
              [this](HWND, const std::string&, const std::string&, UINT type) {
                  types.push_back(type);
                  return answer;
              })) {}
    ~Questions() { App().SetMessageBoxSink(previous); }
    Questions(const Questions&) = delete;
    Questions& operator=(const Questions&) = delete;

    int answer = IDNO;
    std::vector<UINT> types;
    MessageBoxSink previous;
};

TEST_F(LogWindow, StartsHiddenAtTheTopLeftWithTheToggleOnAndStaysHiddenUntilAskedFor) {
    ASSERT_TRUE(log.CreateLogWindow(false));
    EXPECT_FALSE(::IsWindowVisible(log.hwnd()));
    EXPECT_TRUE(log.displayAfterTasks());
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(log.hwnd(), IDC_LOG_DISPLAY_AFTER));
    RECT rect = {};
    ::GetWindowRect(log.hwnd(), &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ("Log", WindowText(log.hwnd()));

    // Nothing else may show it while showing is not allowed.
    ::ShowWindow(log.hwnd(), SW_SHOW);
    ::SetWindowPos(log.hwnd(), nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    EXPECT_FALSE(::IsWindowVisible(log.hwnd()));
    ::GetWindowRect(log.hwnd(), &rect);
    EXPECT_EQ(5, rect.left);

    log.ShowLog();
    EXPECT_TRUE(::IsWindowVisible(log.hwnd()));
    log.HideForTask();
    ::ShowWindow(log.hwnd(), SW_SHOW);
    EXPECT_FALSE(::IsWindowVisible(log.hwnd()));
}

TEST_F(LogWindow, ShowingReadsTheFileAgainAndScrollsToItsEnd) {
    std::string text;
    for (int line = 1; line <= 200; ++line) {
        text += "line " + std::to_string(line) + "\r\n";
    }
    WriteBytes(files / "stowlark.log", text);
    ASSERT_TRUE(log.CreateLogWindow(false));
    log.ShowLog();
    const HWND box = ::GetDlgItem(log.hwnd(), IDC_LOG_TEXT);
    EXPECT_EQ(text, BoxText());
    EXPECT_GT(::SendMessageA(box, EM_GETFIRSTVISIBLELINE, 0, 0), 150);

    // Closing only hides; asking again shows what the file holds now.
    ::SendMessageA(log.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(log.hwnd()));
    EXPECT_TRUE(::IsWindow(log.hwnd()));
    WriteBytes(files / "stowlark.log", "only this\r\n");
    log.ShowLog();
    EXPECT_EQ("only this\r\n", BoxText());

    // Without a file the box keeps what it shows.
    ::DeleteFileA((files / "stowlark.log").c_str());
    log.Reload();
    EXPECT_EQ("only this\r\n", BoxText());
}

TEST_F(LogWindow, ClearAsksFirstThenEmptiesTheBoxAndDeletesTheFile) {
    WriteBytes(files / "stowlark.log", "old report\r\n");
    ASSERT_TRUE(log.CreateLogWindow(false));
    Questions questions;

    // The whole history goes at once: No, the default, keeps it.
    PressButton(log.hwnd(), IDC_LOG_CLEAR);
    ASSERT_EQ(1u, questions.types.size());
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), questions.types[0] & MB_TYPEMASK);
    EXPECT_EQ(static_cast<UINT>(MB_DEFBUTTON2), questions.types[0] & MB_DEFMASK);
    EXPECT_EQ("old report\r\n", BoxText());
    EXPECT_EQ("old report\r\n", ReadBytes(files / "stowlark.log"));

    questions.answer = IDYES;
    PressButton(log.hwnd(), IDC_LOG_CLEAR);
    EXPECT_EQ("", BoxText());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((files / "stowlark.log").c_str()));
    // Once more with no file is harmless.
    PressButton(log.hwnd(), IDC_LOG_CLEAR);
    EXPECT_EQ("", BoxText());
    EXPECT_EQ(3u, questions.types.size());
}

TEST(LogWindowEdit, OpensTheLogInTheEditorEvenFromAFolderWithASpace) {
    ShellLaunchCapture launches;
    TempFolder files;
    const std::string folder = files / "My Logs";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    const std::string logPath = folder + "\\stowlark.log";
    CLogDlg log(logPath, files / "stowlark.ini");
    ASSERT_TRUE(log.CreateLogWindow(false));
    log.ShowLog();

    // No file yet: Edit only hides the window.
    PressButton(log.hwnd(), IDC_LOG_EDIT);
    EXPECT_TRUE(launches.launches().empty());
    EXPECT_FALSE(::IsWindowVisible(log.hwnd()));

    WriteBytes(logPath, "report\r\n");
    log.ShowLog();
    PressButton(log.hwnd(), IDC_LOG_EDIT);
    ASSERT_EQ(1u, launches.launches().size());
    EXPECT_EQ(ShellLaunch::RunProgram, launches.launches()[0].kind);
    EXPECT_EQ("notepad.exe \"" + logPath + "\"", launches.launches()[0].target);
    EXPECT_FALSE(::IsWindowVisible(log.hwnd()));
}

TEST_F(LogWindow, ALogMinimisedLastTimeStaysSoUntilItIsShown) {
    WriteBytes(files / "stowlark.ini", "[Windows]\r\nLogState=1\r\nLogLeft=40\r\n");
    ASSERT_TRUE(log.CreateLogWindow(false));
    EXPECT_FALSE(::IsWindowVisible(log.hwnd()));
    ::SetWindowPos(log.hwnd(), nullptr, 90, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(log.Save());
    EXPECT_EQ("1", Setting("Windows", "LogState"));
    EXPECT_EQ("40", Setting("Windows", "LogLeft"));
}

TEST(LogWindowStart, ShownAtStartUpALogMinimisedLastTimeComesUpMinimised) {
    TempFolder files;
    WriteBytes(files / "stowlark.ini", "[Windows]\r\nLogState=1\r\n");
    CLogDlg log(files / "stowlark.log", files / "stowlark.ini");
    ASSERT_TRUE(log.CreateLogWindow(true));
    EXPECT_TRUE(::IsWindowVisible(log.hwnd()));
    EXPECT_TRUE(::IsIconic(log.hwnd()));
}

TEST_F(LogWindow, SavesItsPlaceAndToggleAndKeepsThePlaceWhenMinimised) {
    WriteBytes(files / "stowlark.ini", "[Windows]\r\nLogLeft=40\r\nLogTop=30\r\n");
    ASSERT_TRUE(log.CreateLogWindow(true));
    EXPECT_TRUE(::IsWindowVisible(log.hwnd()));
    RECT rect = {};
    ::GetWindowRect(log.hwnd(), &rect);
    EXPECT_EQ(40, rect.left);
    EXPECT_EQ(30, rect.top);

    PressButton(log.hwnd(), IDC_LOG_DISPLAY_AFTER);
    EXPECT_FALSE(log.displayAfterTasks());
    EXPECT_EQ("<none>", Setting("Log", "DisplayAfterTasks"));
    ::SetWindowPos(log.hwnd(), nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(log.Save());
    EXPECT_EQ("0", Setting("Log", "DisplayAfterTasks"));
    EXPECT_EQ("0", Setting("Windows", "LogState"));
    EXPECT_EQ("70", Setting("Windows", "LogLeft"));
    EXPECT_EQ("80", Setting("Windows", "LogTop"));

    ::ShowWindow(log.hwnd(), SW_MINIMIZE);
    EXPECT_TRUE(log.Save());
    EXPECT_EQ("1", Setting("Windows", "LogState"));
    EXPECT_EQ("70", Setting("Windows", "LogLeft"));
    EXPECT_EQ("80", Setting("Windows", "LogTop"));
}

} // namespace
