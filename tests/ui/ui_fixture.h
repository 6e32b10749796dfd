// Driving the plug-in's windows from a test: timers that act from inside
// whatever loop is running, clicks and keys sent as the user's would arrive,
// and a main dialog opened on a test host with its files in a scratch folder.
#pragma once

#include "base/message_pump.h"
#include "tests/host/host_fixture.h"
#include "res/resource_ids.h"
#include "tests/test_support.h"
#include "ui/archive_dialog.h"
#include "ui/tree_control.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// Runs `action` once, `milliseconds` from now, from whichever message loop
// this thread is in then: a modal loop, a task's pumping, a menu. With
// `ready`, the action waits (looking again every `milliseconds`) until
// `ready` holds, so a slow machine does not run it too early.
class LaterOnThisThread {
public:
    LaterOnThisThread(UINT milliseconds, std::function<void()> action,
                      std::function<bool()> ready = nullptr);
    ~LaterOnThisThread();
    LaterOnThisThread(const LaterOnThisThread&) = delete;
    LaterOnThisThread& operator=(const LaterOnThisThread&) = delete;

    bool ran() const;

private:
    UINT_PTR timer_;
};

// Pumps the thread's messages until `done` holds; false on timing out.
bool PumpUntil(const std::function<bool()>& done, int timeoutMilliseconds = 10000);
void PumpFor(int milliseconds);
// The top-level windows of this thread a user would see: what a page may
// not add to.
int VisibleWindowsOfThisThread();

// A key as the keyboard gives it: posted to the focused window `target`,
// with the modifiers down while it is handled. F10 and Alt combinations
// arrive as system keys.
void PressKey(HWND target, UINT key, bool control = false, bool shift = false, bool system = false);
// A click of the left button at a point of `window`'s client area, with the
// cursor moved there first so that the window can ask where it is.
void ClickAt(HWND window, POINT client);
void RightClickAt(HWND window, POINT client);
// A point on the item's check box.
POINT CheckBoxPoint(const CTreeCtrl& tree, HTREEITEM item);
void ClickCheckBox(const CTreeCtrl& tree, HTREEITEM item);
// A button pressed the way the keyboard or mouse presses it.
void PressButton(HWND dialog, int id);

// The tree item whose caption is `caption`, anywhere in the tree.
HTREEITEM FindItem(const CTreeCtrl& tree, const std::string& caption);
bool IsEnabled(HWND dialog, int id);
// The value of a key in a settings file, "<none>" when it is missing.
std::string SettingText(const std::string& file, const std::string& section,
                        const std::string& key);

// A host with mailboxes, the plug-in's files in a folder of their own, and
// message boxes and shell requests captured.
class DialogTest : public ::testing::Test {
protected:
    DialogTest();
    ~DialogTest() override;

    // Starts the host once, makes the archive file unless `makeArchive` is off,
    // and opens the main dialog, owned by `owner`, without a modal loop of
    // its own.
    CArchiveDlg& OpenDialog(bool makeArchive = true, HWND owner = nullptr);
    // Ends the dialog through its Close button.
    void CloseDialog();
    // The dialog's archive cannot be used, and `startBox` said why: Archive
    // and Restore are off, a press that reaches them all the same (a key, a
    // stray message) is refused in the same words, and nothing is listed
    // from the file that Enter could open.
    void ExpectArchiveUnusable(const std::string& startBox);

    std::string SettingsPath() const { return files / "stowlark.ini"; }
    std::string LogPath() const { return files / "stowlark.log"; }
    std::string DatabasePath() const { return files / "archive.mdb"; }
    std::string SettingText(const std::string& section, const std::string& key) const {
        return ::SettingText(SettingsPath(), section, key);
    }

    // As when the host has called the plug-in: the module's one-time steps
    // (the registered notice, the cursor) are done.
    EntryPointScope entered;
    ContextGuard guard;
    MessageBoxCapture boxes;
    ShellLaunchCapture launches;
    TempFolder files;
    RunningHost host;
    std::unique_ptr<CArchiveDlg> dialog;
};
