// The host's main window: class "EudoraMainWindow" with an MDI client, one
// child window per open mailbox captioned with its name, the Special menu
// of the loaded plug-in and a status line.
#pragma once

#include "base/unique_resource.h"
#include "testhost/ems_host.h"
#include "testhost/host_session.h"
#include "testhost/mailbox_list_view.h"

#include <map>
#include <memory>
#include <string>

class HostWindow : public HostView {
public:
    static constexpr const char* kClassName = "EudoraMainWindow";
    static constexpr const char* kMailboxClassName = "EudoraMailboxWindow";

    // `plugin` may be null (a host without plug-ins); it must outlive the
    // window.
    HostWindow(HINSTANCE instance, std::shared_ptr<HostSession> session, EmsHost* plugin);
    ~HostWindow() override;
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // False when the window could not be made, or was made before.
    bool Create(int show);
    HWND handle() const { return window_.get(); }
    HWND mdiClient() const { return client_; }

    // The same as picking the Special-menu entry.
    void RunSpecial(size_t index);

    // The message loop of the host's thread, which ends when the window
    // does; returns the exit code.
    int RunMessageLoop();

    // HostView
    void ShowStatusText(const std::string& text) override;
    void ShowMailbox(const FolderEntry& mailbox) override;
    void MailboxChanged(const std::string& mbxPath) override;

private:
    static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MailboxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnCommand(int id);
    void OnSize();
    UniqueMenu BuildMenu();
    HWND FindMailboxWindow(const std::string& mbxPath) const;
    // Brings the window's list up to its mailbox now.
    void UpdateMailboxList(HWND child);

    HINSTANCE instance_;
    std::shared_ptr<HostSession> session_;
    EmsHost* plugin_;
    UniqueWindow window_;
    HWND client_ = nullptr;
    HWND status_ = nullptr;
    bool runsMessageLoop_ = false;
    struct OpenMailbox {
        std::string path;
        MailboxListView list;
        bool updatePosted = false;
    };
    // The mailbox file shown in each open mailbox window, and its list.
    std::map<HWND, OpenMailbox> mailboxWindows_;
};
