#include "tests/host/host_fixture.h"

#include "testhost/mailstore/mailbox_file.h"

#include <gtest/gtest.h>

std::string MakeMessage(const std::string& from, const std::string& subject,
                        const std::string& date, const std::string& body,
                        const std::string& extraHeaders) {
    std::string raw =
        "From: " + from + "\r\nTo: archive@example.com\r\nSubject: " + subject + "\r\n";
    if (!date.empty()) {
        raw += "Date: " + date + "\r\n";
    }
    return raw + extraHeaders + "\r\n" + body;
}

RunningHost::RunningHost(HostSettings settings) : settings_(std::move(settings)) {
    settings_.dataDir = folder_.path();
}

RunningHost::~RunningHost() {
    server_.reset();
    session_.reset();
}

void RunningHost::Start() {
    session_ = std::make_shared<HostSession>(settings_);
    server_ = std::make_unique<AutomationServer>(session_);
    ASSERT_EQ("", server_->failure());
}

uint32_t RunningHost::AddMessage(const std::string& mailbox, const std::string& raw,
                                 int32_t status) {
    const std::string path = MailboxPath(mailbox + ".mbx");
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        MailboxFile::CreateEmpty(path);
    }
    if (session_) {
        return session_->store().Mailbox(path).Append(raw, status);
    }
    MailboxFile file(path);
    file.Load();
    return file.Append(raw, status);
}
