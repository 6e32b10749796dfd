// The base of every plug-in dialog: the window is bound to its object from
// the first message it gets, and the derived class sees commands,
// notifications and the rest through a few virtual handlers.
#pragma once

#include "base/message_routing.h"
#include "base/unique_resource.h"
#include "base/win32.h"

#include <commctrl.h>

#include <string>

class CDialog : private KeyboardTarget {
public:
    CDialog(int templateId, HWND parent);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // The platform's own modal loop: no accelerators, the parent disabled.
    INT_PTR RunPlatformModal();
    // A modal run through the plug-in's own loop, so that the dialog keeps
    // its accelerators and the plug-in's modeless windows their keyboard.
    // Gives the result of EndDialog, or -1 when the window could not be made
    // or the thread was told to quit (the quit request stays queued).
    INT_PTR RunModal();
    // Modeless; the window shows as its template says.
    bool Create();
    // Ends a modal run, or destroys a modeless window.
    void EndDialog(INT_PTR result);

    HWND hwnd() const { return hwnd_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text) const;
    bool IsChecked(int id) const { return ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void SetCheck(int id, bool checked) const;
    void EnableItem(int id, bool enable) const { ::EnableWindow(Item(id), enable); }

protected:
    // The focus goes where the platform puts it when this gives true.
    virtual bool OnInitDialog() { return true; }
    virtual void OnCommand(int id, int notifyCode, HWND control);
    virtual LRESULT OnNotify(const NMHDR& header);
    // The caption's close button, Alt+F4 and Escape's IDCANCEL end up here.
    virtual void OnClose() { EndDialog(IDCANCEL); }
    // Every other message; true when handled, with `result` the answer.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // After the window is gone.
    virtual void OnDestroyed() {}
    // The thread was told to quit during RunModal; the window still exists.
    virtual void OnQuitDuringModal() {}

    // The keyboard before dispatch; the default is the dialog keyboard
    // interface, with access keys shared by several controls only moving
    // the focus.
    bool PreTranslateMessage(MSG& message) override;

private:
    enum class Run { None, PlatformModal, Modal, Modeless };

    bool CreateAs(Run run);
    HWND KeyboardWindow() const override { return hwnd_; }
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Attach(HWND window);
    void Detach();

    int templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    Run run_ = Run::None;
    bool ended_ = false;
    INT_PTR result_ = 0;
    UniqueBrush background_;
};
