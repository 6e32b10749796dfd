// The log window: the whole task log in a read-only box, with Clear, Edit
// and the toggle that brings the window up after every task. It lives as
// long as the main dialog but is independent of it on the screen.
#pragma once

#include "ui/dialog.h"

#include <string>

class CLogDlg : public CDialog {
public:
    CLogDlg(std::string logPath, std::string settingsPath);

    // Hidden, or with `displayOnStartUp` shown under every other window.
    bool CreateLogWindow(bool displayOnStartUp);
    // Fresh text, and the window in front with the keyboard.
    void ShowLog();
    // While a task runs nothing may show the window.
    void HideForTask();
    void Reload();
    // Writes the placement and the toggle; the window may then go.
    bool Save();

    bool displayAfterTasks() const { return displayAfterTasks_; }
    bool showAllowed() const { return showAllowed_; }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
    void OnClose() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;

private:
    void Clear();
    void Edit();

    std::string logPath_;
    std::string settingsPath_;
    bool showAllowed_ = false;
    bool shown_ = false;
    bool displayAfterTasks_ = true;
    int logState_ = 0;
    int logLeft_ = 0;
    int logTop_ = 0;
};
