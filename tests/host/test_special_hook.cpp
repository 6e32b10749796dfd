// The plug-in's command started against a running host.
#include "db/archive_schema.h"
#include "plugin/ems_records.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "testhost/host_window.h"
#include "tests/host/host_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool timerFired = false;
long nestedResult = -1;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    timerFired = true;
    ::KillTimer(nullptr, id);
}

// The user picks the command again while the first one waits for the host.
void CALLBACK PickAgain(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    EmsMenu menu = {};
    menu.size = sizeof menu;
    menu.id = 1;
    nestedResult = ems_special_hook(nullptr, &menu);
}

// The user closes the main dialog as soon as it is up.
void CALLBACK CloseTheDialog(HWND, UINT, UINT_PTR, DWORD) {
    if (const HWND dialog = App().Context().mainDialogWindow) {
        ::PostMessageA(dialog, WM_COMMAND, IDC_CLOSE, 0);
    }
}

// What the dialog's owner was while it ran, taken as it is done away with.
HWND ownerSeen = nullptr;
bool ownerEnabledMeanwhile = true;

// The host's window goes away under the open dialog.
void CALLBACK DestroyTheOwner(HWND, UINT, UINT_PTR, DWORD) {
    const HWND dialog = App().Context().mainDialogWindow;
    if (dialog && ::IsWindowVisible(dialog) && !ownerSeen) {
        ownerSeen = ::GetWindow(dialog, GW_OWNER);
        ownerEnabledMeanwhile = ::IsWindowEnabled(ownerSeen) != FALSE;
        ::DestroyWindow(ownerSeen);
    }
}

void CALLBACK AskToQuit(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    ::PostQuitMessage(3);
}

class SpecialHook : public ::testing::Test {
protected:
    long Init(const std::string& configDir) {
        configText = configDir;
        EmsMailConfig config = {};
        config.configDir = &configText[0];
        EmsPluginInfo info = {};
        const long result = ems_plugin_init(nullptr, 7, &config, &info);
        ems_free(info.description);
        ems_free(info.icon);
        // The dialog's files go to a scratch folder, the archive made
        // beforehand so that opening it needs no wait.
        context.settingsPath = files / "stowlark.ini";
        context.logPath = files / "stowlark.log";
        context.helpPath = files / "stowlark.chm";
        context.databasePath = files / "archive.mdb";
        CreateArchiveDatabase(ArchiveConnectionString(context.databasePath));
        return result;
    }
    long Hook(TIMERPROC closing = CloseTheDialog) {
        EmsMenu menu = {};
        menu.size = sizeof menu;
        menu.id = 1;
        const UINT_PTR closer = ::SetTimer(nullptr, 0, 50, closing);
        const long result = ems_special_hook(nullptr, &menu);
        ::KillTimer(nullptr, closer);
        return result;
    }

    ContextGuard guard;
    MessageBoxCapture boxes;
    TempFolder files;
    std::string configText;
    PluginContext& context = App().Context();
};

TEST_F(SpecialHook, LearnsTheDataDirectoryAndInMailboxFromTheHost) {
    RunningHost host;
    host.Start();
    // A configuration directory elsewhere: the host's own answer wins, and
    // the backslash it ends its directories with is dropped.
    ASSERT_EQ(0, Init("C:\\Elsewhere\\Plugins"));
    ASSERT_EQ("C:\\Elsewhere", context.hostDataDir);

    EXPECT_EQ(0, Hook());
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(host.dataDir(), context.hostDataDir);
    EXPECT_EQ(host.dataDir() + "\\In.mbx", context.inMailboxPath);
    ASSERT_FALSE(host.session().statusHistory().empty());
    EXPECT_EQ("Archive Messages.", host.session().statusHistory().front());
}

// The host's window the command was picked in owns the dialog and is
// disabled under it; should it go away all the same, the dialog closes with
// it and keeps what the user set.
TEST_F(SpecialHook, TheDialogBelongsToTheHostsWindowAndClosesWithIt) {
    RunningHost host;
    host.Start();
    ASSERT_EQ(0, Init(host.dataDir() + "\\Plugins"));
    HostWindow hostWindow(::GetModuleHandleA(nullptr), host.sessionRef(), nullptr);
    ASSERT_TRUE(hostWindow.Create(SW_SHOWNORMAL));
    const HWND main = hostWindow.handle();
    ::SetActiveWindow(main);
    ASSERT_EQ(main, ::GetActiveWindow());
    ownerSeen = nullptr;
    ownerEnabledMeanwhile = true;

    EXPECT_EQ(0, Hook(DestroyTheOwner));
    EXPECT_EQ(main, ownerSeen);
    EXPECT_FALSE(ownerEnabledMeanwhile);
    EXPECT_EQ(nullptr, hostWindow.handle());
    EXPECT_EQ(nullptr, context.mainDialogWindow);
    char left[16] = {};
    ::GetPrivateProfileStringA("Windows", "Left", "", left, sizeof left,
                               context.settingsPath.c_str());
    EXPECT_STRNE("", left);
}

TEST_F(SpecialHook, WaitsForALateHostWhileKeepingItsWindowsAlive) {
    HostSettings settings;
    settings.notReadyMilliseconds = 400;
    RunningHost host(settings);
    host.Start();
    ASSERT_EQ(0, Init(host.dataDir() + "\\Plugins"));

    // A message waiting for the host's thread must be handled during the wait.
    timerFired = false;
    ASSERT_NE(0u, ::SetTimer(nullptr, 0, 50, OnTimer));
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(0, Hook());
    EXPECT_GE(::GetTickCount64() - start, 350u);
    EXPECT_TRUE(timerFired);
    EXPECT_EQ(host.dataDir(), context.hostDataDir);
}

TEST_F(SpecialHook, RunsOnceWhenPickedAgainDuringTheWait) {
    HostSettings settings;
    settings.notReadyMilliseconds = 300;
    RunningHost host(settings);
    host.Start();
    ASSERT_EQ(0, Init(host.dataDir() + "\\Plugins"));
    nestedResult = -1;
    ASSERT_NE(0u, ::SetTimer(nullptr, 0, 50, PickAgain));
    EXPECT_EQ(0, Hook());
    EXPECT_EQ(0, nestedResult);
    EXPECT_EQ(std::vector<std::string>{"Archive Messages."}, host.session().statusHistory());
    // Once it has ended, the command can run again.
    EXPECT_EQ(0, Hook());
}

TEST_F(SpecialHook, GivesUpWhenTheHostIsToldToQuitDuringTheWait) {
    HostSettings settings;
    settings.notReadyMilliseconds = 60000;
    RunningHost host(settings);
    host.Start();
    ASSERT_EQ(0, Init(host.dataDir() + "\\Plugins"));
    ASSERT_NE(0u, ::SetTimer(nullptr, 0, 50, AskToQuit));
    EXPECT_EQ(11, Hook());
    EXPECT_TRUE(boxes.boxes().empty());
    // The quit request is still there for the host's own loop.
    MSG message;
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, message.wParam);
}

TEST_F(SpecialHook, AHostThatFailsToAnswerStopsTheCommandWithItsText) {
    HostSettings settings;
    settings.faults = {"InBox"};
    RunningHost host(settings);
    host.Start();
    ASSERT_EQ(0, Init(host.dataDir() + "\\Plugins"));
    EXPECT_EQ(11, Hook());
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("The host could not complete InBox.", boxes.boxes()[0].text);
    EXPECT_EQ(CStowlarkApp::kAppName, boxes.boxes()[0].caption);
}

} // namespace
