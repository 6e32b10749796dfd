// Makes the host's application object reachable through its programmatic
// identifier for as long as the host runs.
#pragma once

#include "base/com_ptr.h"
#include "testhost/automation_objects.h"

#include <string>

class AutomationServer {
public:
    static constexpr const char* kProgId = "Eudora.EuApplication.1";

    // Registers the class object and the identifier; `failure()` tells
    // whether that worked. COM must be initialised on the thread.
    explicit AutomationServer(SessionRef session);
    ~AutomationServer();
    AutomationServer(const AutomationServer&) = delete;
    AutomationServer& operator=(const AutomationServer&) = delete;

    // Empty when the server is registered, else why not.
    const std::string& failure() const { return failure_; }

private:
    ComPtr<IClassFactory> factory_;
    DWORD cookie_ = 0;
    bool keysWritten_ = false;
    std::string previousClass_;
    std::string failure_;
};
