#include "testhost/host_session.h"

#include "testhost/lower_case.h"

#include <stdexcept>

HostSession::HostSession(const HostSettings& settings)
    : store_(settings.dataDir), readyAt_(::GetTickCount64() + settings.notReadyMilliseconds) {
    for (const std::string& name : settings.skipNames) {
        skipNames_.insert(LowerCase(name));
    }
    for (const std::string& fault : settings.faults) {
        if (!faults_.ArmFromText(fault)) {
            throw std::invalid_argument("\"" + fault + "\" is no fault switch.");
        }
    }
}

bool HostSession::IsReady() const {
    return ::GetTickCount64() >= readyAt_;
}

bool HostSession::IsSkipped(const std::string& name) const {
    return skipNames_.count(LowerCase(name)) != 0;
}

void HostSession::SetStatusText(const std::string& text) {
    statusText_ = text;
    statusHistory_.push_back(text);
    if (view_) {
        view_->ShowStatusText(text);
    }
}

void HostSession::ShowMailbox(const FolderEntry& mailbox) {
    if (view_) {
        view_->ShowMailbox(mailbox);
    }
}

void HostSession::MailboxChanged(const std::string& mbxPath) {
    if (view_) {
        view_->MailboxChanged(mbxPath);
    }
}
