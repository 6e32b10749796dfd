#include "testhost/script_runner.h"

#include "testhost/pump_for.h"
#include "testhost/window_search.h"
#include "testhost/window_snapshot.h"
#include "ui/tree_checks.h"
#include "ui/tree_control.h"

#include <commctrl.h>

#include <cstdlib>
#include <functional>

namespace {

const DWORD kTickMilliseconds = 50;
const double kWindowSeconds = 30;
const double kTaskSeconds = 300;
// How long a control gets to show what a click asked of it.
const double kControlSeconds = 3;
// Long enough for a virtual display to draw a window brought to the top.
const DWORD kPaintMilliseconds = 400;

HWND FindChildOfClass(HWND parent, const char* className) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (IsOfClass(child, className)) {
            return child;
        }
    }
    return nullptr;
}

// Tree captions carry a message count: "In (12)" is found as "In".
HTREEITEM FindTreeItem(const CTreeCtrl& tree, const std::string& caption) {
    const std::string wanted = PlainCaption(caption);
    HTREEITEM found = nullptr;
    ForEachItem(tree, [&](HTREEITEM item) {
        const std::string text = PlainCaption(tree.ItemText(item));
        if (!found && (text == wanted || text.rfind(wanted + " (", 0) == 0)) {
            found = item;
        }
    });
    return found;
}

bool ClickTreeCheckBox(const CTreeCtrl& tree, HTREEITEM item) {
    ::SendMessageA(tree.hwnd(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    POINT at = {};
    if (!TreeCheckBoxPoint(tree.hwnd(), item, at)) {
        return false;
    }
    POINT cursor = at;
    ::ClientToScreen(tree.hwnd(), &cursor);
    ::SetCursorPos(cursor.x, cursor.y);
    ::PostMessageA(tree.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::PostMessageA(tree.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    return true;
}

bool ParseNumber(const std::string& text, long& value) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0';
}

} // namespace

ScriptRunner::ScriptRunner(HWND hostWindow, MailStore& store, std::vector<ScriptStep> steps,
                           std::string pictureDir, bool closeWhenDone, Say say)
    : hostWindow_(hostWindow), store_(store), steps_(std::move(steps)),
      pictureDir_(std::move(pictureDir)), closeWhenDone_(closeWhenDone), say_(std::move(say)),
      stepStart_(::GetTickCount64()), timer_(kTickMilliseconds, [this] { Tick(); }),
      // A timer of its own: a box may come up inside a step, while the
      // step timer waits for the step to return.
      boxTimer_(kTickMilliseconds, [this] { AnswerMessageBox(); }) {}

void ScriptRunner::Tick() {
    // No step while a box waits for its answer.
    if (finished() || FindMessageBox()) {
        return;
    }
    // Quick steps follow each other within one tick; a step that waits
    // keeps its place until a later one.
    while (!finished()) {
        const Outcome outcome = Take(steps_[next_]);
        if (outcome == Outcome::Waiting) {
            return;
        }
        const bool posted = outcome == Outcome::Posted;
        if (outcome == Outcome::Failed) {
            failed_ = true;
            closer_ = std::make_unique<PluginWindowUser>(hostWindow_, 200, std::string());
            return;
        }
        ++next_;
        phase_ = 0;
        stepStart_ = ::GetTickCount64();
        if (finished()) {
            CloseWhatIsLeft();
        }
        // What the step posted is handled before the next tick's timer message.
        if (posted) {
            return;
        }
    }
}

void ScriptRunner::CloseWhatIsLeft() {
    if (!closeWhenDone_) {
        return;
    }
    for (const HWND window : VisibleThreadWindows()) {
        if (window != hostWindow_) {
            say_("the script left \"" + WindowCaption(window) + "\" open; closing it");
            closer_ = std::make_unique<PluginWindowUser>(hostWindow_, 200, std::string());
            return;
        }
    }
}

bool ScriptRunner::AnswerMessageBox() {
    // Once the script is done, the boxes are the user's to answer.
    const HWND box = finished() ? nullptr : FindMessageBox();
    if (!box) {
        return false;
    }
    ++messageBoxes_;
    const std::string text = MessageBoxText(box);
    say_("message box \"" + WindowCaption(box) + "\": " + text);
    // A task holds Close disabled from its start to its end, also while
    // Stop is off; a box with Close enabled answers a press that started
    // no task.
    const HWND close = Control("&Close");
    if (close && ::IsWindowEnabled(close)) {
        refusal_ = text;
    }
    const HWND button =
        ::GetDlgItem(box, IDOK) ? ::GetDlgItem(box, IDOK) : ::GetDlgItem(box, IDCANCEL);
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    return true;
}

ScriptRunner::Outcome ScriptRunner::Fail(const std::string& problem) {
    say_("script line " + std::to_string(steps_[next_].line) + " (" + steps_[next_].verb +
         "): " + problem);
    return Outcome::Failed;
}

ScriptRunner::Outcome ScriptRunner::WaitUp(bool seen, double seconds, const std::string& what) {
    if (seen) {
        return Outcome::Done;
    }
    if (::GetTickCount64() - stepStart_ > static_cast<ULONGLONG>(seconds * 1000)) {
        return Fail(what);
    }
    return Outcome::Waiting;
}

HWND ScriptRunner::Control(const std::string& caption) {
    return current_ && ::IsWindow(current_) ? FindChildByCaption(current_, caption) : nullptr;
}

HWND ScriptRunner::ControlAfter(const std::string& caption, const char* className) {
    const HWND label = Control(caption);
    if (!label) {
        return nullptr;
    }
    const HWND next = ::GetWindow(label, GW_HWNDNEXT);
    return next && IsOfClass(next, className) ? next : nullptr;
}

ScriptRunner::Outcome ScriptRunner::Take(const ScriptStep& step) {
    const std::vector<std::string>& a = step.arguments;
    const std::string& verb = step.verb;
    const bool closing = verb == "close-window" && phase_ > 0;
    const bool needsNoWindow = verb == "mailboxes" || verb == "wait-window" || verb == "sleep" ||
                               verb == "picture-screen" || verb == "wait-other" ||
                               verb == "close-other" || verb == "save-as" || verb == "empty-trash";
    if (!needsNoWindow && !closing && (!current_ || !::IsWindow(current_))) {
        return Fail("no window to act on (wait-window first)");
    }
    if (verb == "mailboxes") {
        return CountMailboxes(a[0]);
    }
    if (verb == "wait-window") {
        return WaitForWindow(step);
    }
    if (verb == "tick" || verb == "untick") {
        return TickItem(step, verb == "tick");
    }
    if (verb == "check" || verb == "uncheck") {
        return Check(a[0], verb == "check");
    }
    if (verb == "choose") {
        return Choose(a[0], a[1]);
    }
    if (verb == "type") {
        return Type(a[0], a[1]);
    }
    if (verb == "date") {
        return SetDate(a[0], a[1]);
    }
    if (verb == "press") {
        return Press(a[0]);
    }
    if (verb == "wait-task") {
        return WaitForTask(step);
    }
    if (verb == "open-archive") {
        return OpenArchive(a[0]);
    }
    if (verb == "select-row") {
        return SelectRow(a[0]);
    }
    if (verb == "picture") {
        ::SetWindowPos(current_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return TakePicture(current_, a[0]);
    }
    if (verb == "picture-screen") {
        return TakePicture(::GetDesktopWindow(), a[0]);
    }
    if (verb == "wait-other") {
        const double seconds = a.size() > 1 ? std::atof(a[1].c_str()) : kWindowSeconds;
        return WaitUp(FindAnyWindow(a[0]) != nullptr, seconds,
                      "no window \"" + a[0] + "\" came up");
    }
    if (verb == "close-other") {
        return CloseOther(a[0]);
    }
    if (verb == "close-window") {
        return CloseWindow();
    }
    if (verb == "menu") {
        return ChooseFromMenu(a[0]);
    }
    if (verb == "find") {
        return Find(a[0]);
    }
    if (verb == "wait-caption") {
        return WaitForCaption(step);
    }
    if (verb == "open-row") {
        return OpenRow();
    }
    if (verb == "selected-row") {
        return TellSelectedRow();
    }
    if (verb == "save-as") {
        return AnswerSaveAs(a[0]);
    }
    if (verb == "empty-trash") {
        return EmptyTrash();
    }
    return Sleep(a[0]);
}

ScriptRunner::Outcome ScriptRunner::CountMailboxes(const std::string& label) {
    std::function<void(const std::string&, const std::string&)> walk =
        [&](const std::string& directory, const std::string& prefix) {
            for (const FolderEntry& entry : store_.Children(directory)) {
                const std::string name = prefix + entry.name;
                if (entry.isMailbox) {
                    std::string count;
                    try {
                        count = std::to_string(store_.Mailbox(entry.path).Count());
                    } catch (const std::exception& failure) {
                        count = failure.what();
                    }
                    say_(label + ": " + name + " " + count);
                } else {
                    walk(entry.path, name + "/");
                }
            }
        };
    walk(store_.dataDir(), "");
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::WaitForWindow(const ScriptStep& step) {
    double seconds = kWindowSeconds;
    if (step.arguments.size() > 1) {
        seconds = std::atof(step.arguments[1].c_str());
    }
    const HWND window = FindThreadWindow(step.arguments[0]);
    if (window && window != hostWindow_) {
        if (current_ && ::IsWindow(current_) && current_ != window) {
            earlier_.push_back(current_);
        }
        current_ = window;
        say_("window \"" + WindowCaption(window) + "\"");
        return Outcome::Done;
    }
    return WaitUp(false, seconds, "no window \"" + step.arguments[0] + "\" came up");
}

ScriptRunner::Outcome ScriptRunner::TickItem(const ScriptStep& step, bool ticked) {
    const HWND group = Control(step.arguments[0]);
    const HWND tree = group ? ::GetWindow(group, GW_HWNDNEXT) : nullptr;
    if (!tree || !IsOfClass(tree, WC_TREEVIEWA)) {
        return Fail("no tree under \"" + step.arguments[0] + "\"");
    }
    const CTreeCtrl control(tree);
    const HTREEITEM item = FindTreeItem(control, step.arguments[1]);
    if (!item) {
        return Fail("no item \"" + step.arguments[1] + "\" in " + step.arguments[0]);
    }
    if (phase_ == 0) {
        if (control.Checked(item) == ticked) {
            return Outcome::Done;
        }
        if (!::IsWindowEnabled(tree) || !ClickTreeCheckBox(control, item)) {
            return Fail("cannot click the check box of \"" + step.arguments[1] + "\"");
        }
        phase_ = 1;
        return Outcome::Waiting;
    }
    return WaitUp(control.Checked(item) == ticked, kControlSeconds,
                  "the check box of \"" + step.arguments[1] + "\" did not change");
}

ScriptRunner::Outcome ScriptRunner::Check(const std::string& caption, bool checked) {
    const HWND button = Control(caption);
    if (!button) {
        return Fail("no check box \"" + caption + "\"");
    }
    const bool isChecked = ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (phase_ == 0) {
        if (isChecked == checked) {
            return Outcome::Done;
        }
        if (!::IsWindowEnabled(button)) {
            return Fail("\"" + caption + "\" is disabled");
        }
        ::PostMessageA(button, BM_CLICK, 0, 0);
        phase_ = 1;
        return Outcome::Waiting;
    }
    return WaitUp(isChecked == checked, kControlSeconds,
                  "\"" + caption + "\" stayed " + (checked ? "clear" : "checked"));
}

ScriptRunner::Outcome ScriptRunner::Choose(const std::string& caption, const std::string& entry) {
    const HWND list = ControlAfter(caption, WC_COMBOBOXA);
    if (!list) {
        return Fail("no list after \"" + caption + "\"");
    }
    const LRESULT index = ::SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(entry.c_str()));
    if (index == CB_ERR || !::IsWindowEnabled(list)) {
        return Fail("cannot pick \"" + entry + "\" after \"" + caption + "\"");
    }
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(::GetParent(list), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::Type(const std::string& caption, const std::string& text) {
    const HWND field = ControlAfter(caption, WC_EDITA);
    if (!field || !::IsWindowEnabled(field)) {
        return Fail("no field to type into after \"" + caption + "\"");
    }
    ::SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::SetDate(const std::string& caption, const std::string& date) {
    const HWND picker = ControlAfter(caption, DATETIMEPICK_CLASSA);
    SYSTEMTIME day = {};
    unsigned month = 0, dayOfMonth = 0, year = 0;
    char rest = 0;
    if (std::sscanf(date.c_str(), "%u/%u/%u%c", &month, &dayOfMonth, &year, &rest) != 3) {
        return Fail("\"" + date + "\" is no date of the form M/D/YYYY");
    }
    day.wYear = static_cast<WORD>(year);
    day.wMonth = static_cast<WORD>(month);
    day.wDay = static_cast<WORD>(dayOfMonth);
    if (!picker || !::IsWindowEnabled(picker) ||
        !::SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day))) {
        return Fail("cannot set the date after \"" + caption + "\" to " + date);
    }
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::Press(const std::string& caption) {
    const HWND button = Control(caption);
    if (!button || !::IsWindowVisible(button) || !::IsWindowEnabled(button)) {
        return Fail("no enabled button \"" + caption + "\"");
    }
    // Posted: the plug-in runs its tasks inside the button's handler, and
    // the script goes on during them.
    ::PostMessageA(button, BM_CLICK, 0, 0);
    say_("pressed \"" + WindowCaption(button) + "\"");
    refusal_.clear();
    return Outcome::Posted;
}

ScriptRunner::Outcome ScriptRunner::WaitForTask(const ScriptStep& step) {
    const double seconds =
        step.arguments.empty() ? kTaskSeconds : std::atof(step.arguments[0].c_str());
    const HWND stop = Control("&Stop");
    if (!stop) {
        return Fail("no \"Stop\" button");
    }
    // The click was handled before this tick's timer message, so the task
    // has begun and ended, or runs now with Stop enabled.
    const Outcome outcome =
        WaitUp(!::IsWindowEnabled(stop), seconds,
               "the task still runs after " + std::to_string(static_cast<int>(seconds)) + " s");
    if (outcome != Outcome::Done) {
        return outcome;
    }
    if (!refusal_.empty()) {
        return Fail("no task ran: \"" + refusal_ + "\"");
    }
    say_("the task ended");
    return outcome;
}

ScriptRunner::Outcome ScriptRunner::OpenArchive(const std::string& item) {
    const HWND group = Control("Archives");
    const HWND tree = group ? ::GetWindow(group, GW_HWNDNEXT) : nullptr;
    const CTreeCtrl control(tree);
    const HTREEITEM archive = tree ? FindTreeItem(control, item) : nullptr;
    if (!archive) {
        return Fail("no archive \"" + item + "\"");
    }
    control.Select(archive);
    ::SetFocus(tree);
    ::PostMessageA(tree, WM_KEYDOWN, VK_RETURN, 1);
    ::PostMessageA(tree, WM_KEYUP, VK_RETURN, 0xC0000001);
    return Outcome::Posted;
}

ScriptRunner::Outcome ScriptRunner::SelectRow(const std::string& row) {
    const HWND list = FindChildOfClass(current_, WC_LISTVIEWA);
    long number = 0;
    if (!list || !ParseNumber(row, number) || number < 1 ||
        number > ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) {
        return Fail("no row " + row + " to select");
    }
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(number - 1),
                   reinterpret_cast<LPARAM>(&state));
    ::SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(number - 1), FALSE);
    ::SetFocus(list);
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::TakePicture(HWND window, const std::string& name) {
    PumpFor(kPaintMilliseconds);
    const std::string file = pictureDir_ + "\\" + name + ".bmp";
    if (!SaveWindowSnapshot(window, file)) {
        return Fail("could not save " + file);
    }
    say_("picture of " +
         (window == ::GetDesktopWindow() ? std::string("the screen")
                                         : "\"" + WindowCaption(window) + "\"") +
         " in " + file);
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::CloseOther(const std::string& caption) {
    if (phase_ == 0) {
        other_ = FindAnyWindow(caption);
        if (!other_) {
            return Fail("no window \"" + caption + "\"");
        }
        say_("closing \"" + WindowCaption(other_) + "\"");
        ::PostMessageA(other_, WM_CLOSE, 0, 0);
        phase_ = 1;
        stepStart_ = ::GetTickCount64();
        return Outcome::Waiting;
    }
    return WaitUp(!::IsWindow(other_), kWindowSeconds, "the window did not close");
}

ScriptRunner::Outcome ScriptRunner::CloseWindow() {
    if (phase_ == 0) {
        say_("closing \"" + WindowCaption(current_) + "\"");
        ::PostMessageA(current_, WM_CLOSE, 0, 0);
        phase_ = 1;
        return Outcome::Waiting;
    }
    // Some windows only hide when closed.
    if (::IsWindow(current_) && ::IsWindowVisible(current_)) {
        return WaitUp(false, kWindowSeconds, "the window did not close");
    }
    current_ = nullptr;
    while (!earlier_.empty() && !current_) {
        if (::IsWindow(earlier_.back())) {
            current_ = earlier_.back();
        }
        earlier_.pop_back();
    }
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::Sleep(const std::string& milliseconds) {
    long wait = 0;
    if (!ParseNumber(milliseconds, wait) || wait < 0) {
        return Fail("\"" + milliseconds + "\" is no number of milliseconds");
    }
    return WaitUp(::GetTickCount64() - stepStart_ >= static_cast<ULONGLONG>(wait), 1e9, "");
}

ScriptRunner::Outcome ScriptRunner::ChooseFromMenu(const std::string& item) {
    if (phase_ == 0) {
        const HWND list = FindChildOfClass(current_, WC_LISTVIEWA);
        if (!list) {
            return Fail("no list whose menu to open");
        }
        ::SetFocus(list);
        ::PostMessageA(current_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
        phase_ = 1;
        return Outcome::Waiting;
    }
    const HWND popup = ::FindWindowA("#32768", nullptr);
    if (!popup || !::IsWindowVisible(popup)) {
        return WaitUp(false, kWindowSeconds, "no menu came up");
    }
    const HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
    const int count = menu ? ::GetMenuItemCount(menu) : 0;
    for (int position = 0; position < count; ++position) {
        char text[256] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        std::string caption = text;
        caption = caption.substr(0, caption.find('\t'));
        if (PlainCaption(caption) != PlainCaption(item)) {
            continue;
        }
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
        const UINT id = ::GetMenuItemID(menu, position);
        ::EndMenu();
        if (state & (MF_GRAYED | MF_DISABLED)) {
            return Fail("the menu item \"" + item + "\" is greyed");
        }
        // Posted, as the menu itself sends it once it has closed.
        ::PostMessageA(current_, WM_COMMAND, id, 0);
        say_("chose \"" + item + "\" from the menu");
        return Outcome::Posted;
    }
    ::EndMenu();
    return Fail("no menu item \"" + item + "\"");
}

ScriptRunner::Outcome ScriptRunner::Find(const std::string& text) {
    if (phase_ == 0) {
        HWND field = nullptr;
        for (HWND child = ::GetWindow(current_, GW_CHILD); child && !field;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (IsOfClass(child, WC_EDITA) && ::IsWindowVisible(child)) {
                field = child;
            }
        }
        if (!field) {
            return Fail("no find field (choose \"Find...\" first)");
        }
        ::SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        phase_ = 1;
        return Outcome::Waiting;
    }
    // The caption ends in an ellipsis while the message texts are read.
    const std::string caption = WindowCaption(current_);
    if (!caption.empty() && caption.back() == '\x85') {
        return WaitUp(false, kTaskSeconds, "the search did not end");
    }
    say_("found: " + caption);
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::WaitForCaption(const ScriptStep& step) {
    const double seconds =
        step.arguments.size() > 1 ? std::atof(step.arguments[1].c_str()) : kTaskSeconds;
    const std::string caption = WindowCaption(current_);
    if (caption.find(step.arguments[0]) == std::string::npos) {
        return WaitUp(false, seconds, "the caption never showed \"" + step.arguments[0] + "\"");
    }
    say_("caption: " + caption);
    return Outcome::Done;
}

ScriptRunner::Outcome ScriptRunner::AnswerSaveAs(const std::string& path) {
    const HWND dialog = FindThreadWindow("Save As");
    if (!dialog) {
        return WaitUp(false, kWindowSeconds, "no \"Save As\" dialog came up");
    }
    const bool relative = path.size() < 2 || (path[1] != ':' && path[0] != '\\');
    const std::string full = relative ? store_.dataDir() + "\\" + path : path;
    // The file name box of the dialog, in either of the platform's layouts.
    HWND name = ::GetDlgItem(dialog, 0x47C);
    if (!name) {
        name = ::GetDlgItem(dialog, 0x480);
    }
    if (!name) {
        return Fail("the \"Save As\" dialog has no file name box");
    }
    ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(full.c_str()));
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    say_("saving as " + full);
    return Outcome::Posted;
}
