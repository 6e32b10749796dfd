#include "tests/ui/ui_fixture.h"

#include "db/archive_schema.h"
#include "base/message_pump.h"
#include "base/stowlark_app.h"
#include "testhost/window_search.h"
#include "ui/tree_checks.h"

#include <map>

namespace {

struct PendingAction {
    std::function<void()> action;
    std::function<bool()> ready;
    bool ran = false;
};

std::map<UINT_PTR, PendingAction>& PendingActions() {
    static std::map<UINT_PTR, PendingAction> actions;
    return actions;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR timer, DWORD) {
    auto found = PendingActions().find(timer);
    if (found == PendingActions().end() || found->second.ran) {
        ::KillTimer(nullptr, timer);
        return;
    }
    if (found->second.ready && !found->second.ready()) {
        return;
    }
    ::KillTimer(nullptr, timer);
    found->second.ran = true;
    // The action may start loops of its own; it runs once all the same.
    std::function<void()> action = found->second.action;
    action();
}

void SetModifiers(bool control, bool shift) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    keys[VK_LCONTROL] = control ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_LSHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

} // namespace

LaterOnThisThread::LaterOnThisThread(UINT milliseconds, std::function<void()> action,
                                     std::function<bool()> ready)
    : timer_(::SetTimer(nullptr, 0, milliseconds, RunPendingAction)) {
    PendingActions()[timer_] = PendingAction{std::move(action), std::move(ready), false};
}

LaterOnThisThread::~LaterOnThisThread() {
    ::KillTimer(nullptr, timer_);
    PendingActions().erase(timer_);
}

bool LaterOnThisThread::ran() const {
    auto found = PendingActions().find(timer_);
    return found != PendingActions().end() && found->second.ran;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMilliseconds) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMilliseconds);
    while (!done()) {
        if (::GetTickCount64() > end) {
            return false;
        }
        PumpWaitingMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(int milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    PumpUntil([&] { return ::GetTickCount64() >= end; }, milliseconds + 1000);
}

namespace {

BOOL CALLBACK CountVisible(HWND window, LPARAM counter) {
    if (::IsWindowVisible(window)) {
        ++*reinterpret_cast<int*>(counter);
    }
    return TRUE;
}

} // namespace

int VisibleWindowsOfThisThread() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountVisible, reinterpret_cast<LPARAM>(&count));
    return count;
}

void PressKey(HWND target, UINT key, bool control, bool shift, bool system) {
    SetModifiers(control, shift);
    ::PostMessageA(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1);
    ::PostMessageA(target, system ? WM_SYSKEYUP : WM_KEYUP, key, 0xC0000001);
    PumpWaitingMessages();
    SetModifiers(false, false);
}

namespace {

void ButtonAt(HWND window, POINT client, UINT down, UINT up, WPARAM held) {
    POINT screen = client;
    ::ClientToScreen(window, &screen);
    ::SetCursorPos(screen.x, screen.y);
    const LPARAM at = MAKELPARAM(client.x, client.y);
    ::PostMessageA(window, down, held, at);
    ::PostMessageA(window, up, 0, at);
    PumpWaitingMessages();
}

} // namespace

void ClickAt(HWND window, POINT client) {
    ButtonAt(window, client, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
}

void RightClickAt(HWND window, POINT client) {
    ButtonAt(window, client, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
}

POINT CheckBoxPoint(const CTreeCtrl& tree, HTREEITEM item) {
    POINT point = {};
    if (!TreeCheckBoxPoint(tree.hwnd(), item, point)) {
        ADD_FAILURE() << "no check box found for " << tree.ItemText(item);
    }
    return point;
}

void ClickCheckBox(const CTreeCtrl& tree, HTREEITEM item) {
    ClickAt(tree.hwnd(), CheckBoxPoint(tree, item));
}

void PressButton(HWND dialog, int id) {
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

HTREEITEM FindItem(const CTreeCtrl& tree, const std::string& caption) {
    HTREEITEM found = nullptr;
    ForEachItem(tree, [&](HTREEITEM item) {
        if (!found && tree.ItemText(item) == caption) {
            found = item;
        }
    });
    return found;
}

bool IsEnabled(HWND dialog, int id) {
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

DialogTest::DialogTest() {
    PluginContext& context = App().Context();
    context.settingsPath = SettingsPath();
    context.logPath = LogPath();
    context.helpPath = files / "stowlark.chm";
    context.databasePath = DatabasePath();
    context.hostDataDir = host.dataDir();
    context.inMailboxPath = host.MailboxPath("In.mbx");
    context.productName = CStowlarkApp::kAppName;
}

DialogTest::~DialogTest() {
    dialog.reset();
    // What the dialog left for the thread is handled before the next test.
    PumpWaitingMessages();
}

CArchiveDlg& DialogTest::OpenDialog(bool makeArchive, HWND owner) {
    // Started again, the host's server would take its own registration
    // away with the old one's, and the next dialog could not reach it.
    if (!host.sessionRef()) {
        host.Start();
    }
    if (makeArchive && ::GetFileAttributesA(DatabasePath().c_str()) == INVALID_FILE_ATTRIBUTES) {
        EXPECT_TRUE(CreateArchiveDatabase(ArchiveConnectionString(DatabasePath())));
    }
    dialog = std::make_unique<CArchiveDlg>(owner);
    EXPECT_TRUE(dialog->Create());
    PumpWaitingMessages();
    return *dialog;
}

void DialogTest::CloseDialog() {
    PressButton(dialog->hwnd(), IDC_CLOSE);
    PumpWaitingMessages();
}

void DialogTest::ExpectArchiveUnusable(const std::string& startBox) {
    const HWND window = dialog->hwnd();
    const std::string problem = dialog->archiveProblem();
    ASSERT_FALSE(problem.empty());
    EXPECT_NE(std::string::npos, startBox.find(problem)) << startBox;
    EXPECT_FALSE(IsEnabled(window, IDC_ARCHIVE));
    EXPECT_FALSE(IsEnabled(window, IDC_RESTORE));
    const CTreeCtrl& archives = dialog->trees().archiveTree();
    EXPECT_EQ(nullptr, archives.Child(archives.Root()));

    std::vector<std::string> said;
    const MessageBoxSink previous = App().SetMessageBoxSink(
        [&](HWND, const std::string& text, const std::string&, UINT) -> int {
            said.push_back(text);
            return IDOK;
        });
    for (const int id : {IDC_ARCHIVE, IDC_RESTORE}) {
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
    archives.Select(archives.Root());
    ::SetFocus(archives.hwnd());
    PressKey(archives.hwnd(), VK_RETURN);
    App().SetMessageBoxSink(previous);
    EXPECT_EQ((std::vector<std::string>{problem, problem}), said);
    EXPECT_TRUE(dialog->openViewers().empty());
    EXPECT_FALSE(IsEnabled(window, IDC_ARCHIVE));
}

std::string SettingText(const std::string& file, const std::string& section,
                        const std::string& key) {
    char text[512] = {};
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "<none>", text, sizeof text,
                               file.c_str());
    return text;
}
