// A running host inside the test process: a mail folder in a temporary
// directory, the host's session and its automation server registered, so
// the plug-in's wrappers reach it exactly as they reach the real host.
#pragma once

#include "testhost/automation_server.h"
#include "testhost/host_session.h"
#include "testhost/ole_scope.h"
#include "tests/test_support.h"

#include <memory>
#include <string>

// One message in the host's mailbox format, header lines and body.
std::string MakeMessage(const std::string& from, const std::string& subject,
                        const std::string& date, const std::string& body,
                        const std::string& extraHeaders = "");

class RunningHost {
public:
    explicit RunningHost(HostSettings settings = HostSettings());
    ~RunningHost();
    RunningHost(const RunningHost&) = delete;
    RunningHost& operator=(const RunningHost&) = delete;

    // Starts the host on the mail folder as it is now.
    void Start();
    // Adds a message to a mailbox file before or while the host runs.
    uint32_t AddMessage(const std::string& mailbox, const std::string& raw, int32_t status = 0);

    const std::string& dataDir() const { return settings_.dataDir; }
    std::string MailboxPath(const std::string& relative) const {
        return settings_.dataDir + "\\" + relative;
    }
    HostSession& session() { return *session_; }
    const std::shared_ptr<HostSession>& sessionRef() const { return session_; }

private:
    OleScope ole_;
    TempFolder folder_;
    HostSettings settings_;
    std::shared_ptr<HostSession> session_;
    std::unique_ptr<AutomationServer> server_;
};
