// Runs a host script (host_script.h) on the host's own thread: each tick of
// a thread timer takes the next step when it can, through the same window
// messages a user's mouse and keys cause, while the plug-in's modal dialog
// runs its message loop. Message boxes that come up are reported and
// answered with OK (or Cancel); one that answers a press with no task
// running fails the "wait-task" after it.
#pragma once

#include "testhost/host_script.h"
#include "testhost/mail_store.h"
#include "testhost/plugin_window_user.h"
#include "testhost/thread_timer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ScriptRunner {
public:
    using Say = std::function<void(const std::string&)>;

    // `pictureDir`: where "picture" steps save; `closeWhenDone`: windows of
    // the plug-in still up after the last step are closed, so that a host
    // told to exit does; `say` reports each step.
    ScriptRunner(HWND hostWindow, MailStore& store, std::vector<ScriptStep> steps,
                 std::string pictureDir, bool closeWhenDone, Say say);
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Every step taken, or one failed.
    bool finished() const { return failed_ || next_ >= steps_.size(); }
    bool failed() const { return failed_; }
    // Every step taken, none failed.
    bool completed() const { return !failed_ && next_ >= steps_.size(); }
    size_t messageBoxes() const { return messageBoxes_; }

private:
    // Posted: done, and what it posted is to be handled before the next step.
    enum class Outcome { Done, Posted, Waiting, Failed };

    void Tick();
    bool AnswerMessageBox();
    void CloseWhatIsLeft();
    Outcome Take(const ScriptStep& step);
    Outcome Fail(const std::string& problem);
    // Gives a step that waits for something up to `seconds` to see it.
    Outcome WaitUp(bool seen, double seconds, const std::string& what);
    HWND Control(const std::string& caption);
    HWND ControlAfter(const std::string& caption, const char* className);

    Outcome CountMailboxes(const std::string& label);
    Outcome WaitForWindow(const ScriptStep& step);
    Outcome TickItem(const ScriptStep& step, bool ticked);
    Outcome Check(const std::string& caption, bool checked);
    Outcome Choose(const std::string& caption, const std::string& entry);
    Outcome Type(const std::string& caption, const std::string& text);
    Outcome SetDate(const std::string& caption, const std::string& date);
    Outcome Press(const std::string& caption);
    Outcome WaitForTask(const ScriptStep& step);
    Outcome OpenArchive(const std::string& item);
    Outcome SelectRow(const std::string& row);
    Outcome TakePicture(HWND window, const std::string& name);
    Outcome CloseOther(const std::string& caption);
    Outcome CloseWindow();
    // The list's menu of the window, opened as the menu key opens it, and
    // its item of that text chosen.
    Outcome ChooseFromMenu(const std::string& item);
    // Typed into the window's find field; done when the search has read
    // every message.
    Outcome Find(const std::string& text);
    Outcome WaitForCaption(const ScriptStep& step);
    // Enter on the selected row of the window's list, and what that row
    // shows (script_list_steps.cpp).
    Outcome OpenRow();
    Outcome TellSelectedRow();
    Outcome AnswerSaveAs(const std::string& path);
    Outcome Sleep(const std::string& milliseconds);
    // Picks "Empty Trash" from the host's own menu and tells what its status
    // line says then.
    Outcome EmptyTrash();

    HWND hostWindow_;
    MailStore& store_;
    std::vector<ScriptStep> steps_;
    std::string pictureDir_;
    bool closeWhenDone_;
    Say say_;
    size_t next_ = 0;
    // Steps that take more than one tick: which part comes next, and since when.
    int phase_ = 0;
    ULONGLONG stepStart_ = 0;
    HWND current_ = nullptr;
    HWND other_ = nullptr;
    std::vector<HWND> earlier_;
    bool failed_ = false;
    size_t messageBoxes_ = 0;
    // The text of a box that came up with no task running (since the last
    // press).
    std::string refusal_;
    // After a failure the windows are closed as a user would, so the host ends.
    std::unique_ptr<PluginWindowUser> closer_;
    ThreadTimer timer_;
    ThreadTimer boxTimer_;
};
