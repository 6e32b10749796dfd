// The running host as its automation objects see it: the mail store, what
// the host was told at start (mailboxes to skip, how long to take to get
// ready, which operations to fail) and the status line.
#pragma once

#include "testhost/host_faults.h"
#include "testhost/mail_store.h"

#include "base/win32.h"

#include <set>
#include <string>
#include <vector>

// The host's windows, told what the automation side changed.
class HostView {
public:
    virtual ~HostView() = default;
    virtual void ShowStatusText(const std::string& text) = 0;
    // Opens the mailbox's window, or brings it to the front.
    virtual void ShowMailbox(const FolderEntry& mailbox) = 0;
    virtual void MailboxChanged(const std::string& mbxPath) = 0;
};

struct HostSettings {
    std::string dataDir;
    // Mailbox and folder names the host skips (SkipFlag 1), any case.
    std::vector<std::string> skipNames;
    // For this long after start the host reports no top-level folder.
    DWORD notReadyMilliseconds = 0;
    // "Operation" or "Operation:n" (the n-th call fails).
    std::vector<std::string> faults;
};

class HostSession {
public:
    // Throws StoreError when the data directory cannot be used, and
    // std::invalid_argument for a fault switch it does not understand.
    explicit HostSession(const HostSettings& settings);

    MailStore& store() { return store_; }
    HostFaults& faults() { return faults_; }

    bool IsReady() const;
    bool IsSkipped(const std::string& name) const;

    void SetStatusText(const std::string& text);
    const std::string& statusText() const { return statusText_; }
    const std::vector<std::string>& statusHistory() const { return statusHistory_; }

    void SetView(HostView* view) { view_ = view; }
    void ShowMailbox(const FolderEntry& mailbox);
    void MailboxChanged(const std::string& mbxPath);

private:
    MailStore store_;
    HostFaults faults_;
    std::set<std::string> skipNames_; // lower case
    ULONGLONG readyAt_;
    std::string statusText_;
    std::vector<std::string> statusHistory_;
    HostView* view_ = nullptr;
};
