// The host's automation object model: the application, lists of folders,
// folders and mailboxes, lists of messages and messages.
#pragma once

#include "testhost/dispatch_object.h"
#include "testhost/host_session.h"

#include <memory>
#include <optional>

using SessionRef = std::shared_ptr<HostSession>;

class ApplicationObject : public DispatchObject {
public:
    explicit ApplicationObject(SessionRef session) : session_(std::move(session)) {}

protected:
    bool Answer(DISPID id, const Invocation& call) override;

private:
    SessionRef session_;
};

// The top-level folders, a folder's children, or (for a mailbox) nothing.
class FolderListObject : public DispatchObject {
public:
    FolderListObject(SessionRef session, std::optional<std::string> directory)
        : session_(std::move(session)), directory_(std::move(directory)) {}

protected:
    bool Answer(DISPID id, const Invocation& call) override;

private:
    std::vector<FolderEntry> Entries() const;

    SessionRef session_;
    std::optional<std::string> directory_;
};

class FolderObject : public DispatchObject {
public:
    FolderObject(SessionRef session, FolderEntry entry)
        : session_(std::move(session)), entry_(std::move(entry)) {}

protected:
    bool Answer(DISPID id, const Invocation& call) override;

private:
    void RequireMailbox() const;

    SessionRef session_;
    FolderEntry entry_;
};

class MessageListObject : public DispatchObject {
public:
    MessageListObject(SessionRef session, FolderEntry mailbox)
        : session_(std::move(session)), mailbox_(std::move(mailbox)) {}

protected:
    bool Answer(DISPID id, const Invocation& call) override;

private:
    SessionRef session_;
    FolderEntry mailbox_;
};

// Follows its message when it is moved to another mailbox.
class MessageObject : public DispatchObject {
public:
    MessageObject(SessionRef session, FolderEntry mailbox, uint32_t id)
        : session_(std::move(session)), mailbox_(std::move(mailbox)), id_(id) {}

protected:
    bool Answer(DISPID id, const Invocation& call) override;

private:
    size_t Index(MailboxFile& mailbox) const;
    FolderEntry TargetMailbox(const Invocation& call) const;

    SessionRef session_;
    FolderEntry mailbox_;
    uint32_t id_;
};
