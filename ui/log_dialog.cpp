#include "ui/log_dialog.h"

#include "base/file_utils.h"
#include "base/message_box.h"
#include "base/settings_keys.h"
#include "base/shell_launch.h"
#include "base/stowlark_app.h"
#include "res/resource_ids.h"
#include "ui/window_ops.h"

CLogDlg::CLogDlg(std::string logPath, std::string settingsPath)
    : CDialog(IDD_LOG, ::GetDesktopWindow()), logPath_(std::move(logPath)),
      settingsPath_(std::move(settingsPath)) {}

bool CLogDlg::CreateLogWindow(bool displayOnStartUp) {
    showAllowed_ = false;
    if (!Create()) {
        return false;
    }
    if (!displayOnStartUp) {
        ::ShowWindow(hwnd(), SW_HIDE);
        return true;
    }
    showAllowed_ = true;
    shown_ = true;
    // Shown as it was left: a log minimised last time stays minimised.
    ::ShowWindow(hwnd(), logState_ == 1 ? SW_SHOWMINNOACTIVE : SW_SHOWNA);
    ::SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

bool CLogDlg::OnInitDialog() {
    ::SetWindowTextA(hwnd(), "Log");
    SetBigIcon(hwnd(), ::LoadIconA(App().Instance(), MAKEINTRESOURCEA(IDI_LOG)));
    logState_ = ReadSetting(settings::kLogState, settingsPath_);
    logLeft_ = ReadSetting(settings::kLogLeft, settingsPath_);
    logTop_ = ReadSetting(settings::kLogTop, settingsPath_);
    const POINT place = KeptOnScreen(hwnd(), {logLeft_, logTop_});
    ::SetWindowPos(hwnd(), nullptr, place.x, place.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    // A minimised log is minimised when it first shows: a hidden window
    // cannot be minimised without showing it.
    displayAfterTasks_ = ReadSetting(settings::kLogAfterTasks, settingsPath_) == 1;
    SetCheck(IDC_LOG_DISPLAY_AFTER, displayAfterTasks_);
    Reload();
    return true;
}

void CLogDlg::Reload() {
    if (!FileExists(logPath_)) {
        return;
    }
    const HWND box = Item(IDC_LOG_TEXT);
    ::SetWindowTextA(box, ReadWholeFile(logPath_).c_str());
    ::SendMessageA(box, EM_SETSEL, 0, 0);
    ::SendMessageA(box, EM_SCROLLCARET, 0, 0);
    const LRESULT lines = ::SendMessageA(box, EM_GETLINECOUNT, 0, 0);
    ::SendMessageA(box, EM_LINESCROLL, 0, lines);
}

void CLogDlg::ShowLog() {
    Reload();
    showAllowed_ = true;
    shown_ = true;
    // Asked for by name, the log comes back from the task bar as well.
    ::ShowWindow(hwnd(), ::IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
    BringForward(hwnd());
    // The focus selects the whole box; the caret belongs at the newest line.
    const HWND box = Item(IDC_LOG_TEXT);
    const int length = ::GetWindowTextLengthA(box);
    ::SendMessageA(box, EM_SETSEL, length, length);
    ::SendMessageA(box, EM_SCROLLCARET, 0, 0);
}

void CLogDlg::HideForTask() {
    showAllowed_ = false;
    ::ShowWindow(hwnd(), SW_HIDE);
}

bool CLogDlg::Save() {
    RECT rect = {};
    ::GetWindowRect(hwnd(), &rect);
    // Never shown, it is still as the settings left it.
    if (::IsIconic(hwnd()) || (!shown_ && logState_ == 1)) {
        logState_ = 1;
    } else {
        logState_ = 0;
        logLeft_ = rect.left;
        logTop_ = rect.top;
    }
    WriteSetting(settings::kLogState, logState_, settingsPath_);
    WriteSetting(settings::kLogLeft, logLeft_, settingsPath_);
    WriteSetting(settings::kLogTop, logTop_, settingsPath_);
    WriteSetting(settings::kLogAfterTasks, displayAfterTasks_ ? 1 : 0, settingsPath_);
    return true;
}

void CLogDlg::OnCommand(int id, int notifyCode, HWND control) {
    switch (id) {
    case IDC_LOG_CLEAR:
        Clear();
        break;
    case IDC_LOG_EDIT:
        Edit();
        break;
    case IDC_LOG_DISPLAY_AFTER:
        displayAfterTasks_ = !IsChecked(IDC_LOG_DISPLAY_AFTER);
        SetCheck(IDC_LOG_DISPLAY_AFTER, displayAfterTasks_);
        break;
    default:
        CDialog::OnCommand(id, notifyCode, control);
        break;
    }
}

void CLogDlg::Clear() {
    // The button sits beside Edit, and what it deletes cannot be had back.
    const int answer = ShowMessageBox(
        hwnd(), "Clear the log? The reports of all earlier tasks are deleted for good.",
        CStowlarkApp::kAppName, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer != IDYES) {
        return;
    }
    SetItemText(IDC_LOG_TEXT, "");
    ::DeleteFileA(logPath_.c_str());
}

void CLogDlg::Edit() {
    if (FileExists(logPath_)) {
        // Quoted, so that a folder with a space in its name still names
        // the log and not two other files.
        RunProgram("notepad.exe \"" + logPath_ + "\"");
    }
    ::ShowWindow(hwnd(), SW_HIDE);
}

void CLogDlg::OnClose() {
    ::ShowWindow(hwnd(), SW_HIDE);
}

bool CLogDlg::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT&) {
    if (message == WM_WINDOWPOSCHANGING && !showAllowed_) {
        // The rest of the change goes ahead; only the showing is dropped.
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
    }
    return false;
}

bool CLogDlg::PreTranslateMessage(MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        return false;
    }
    return CDialog::PreTranslateMessage(message);
}
