#include "testhost/automation_objects.h"

#include "host/dispatch_ref.h"
#include "host/host_error.h"
#include "base/file_utils.h"
#include "testhost/lower_case.h"

#include <algorithm>
#include <initializer_list>

namespace {

enum ApplicationMember : DISPID {
    kAppFolders = 3,
    kAppInBox = 6,
    kAppStatusText = 15,
    kAppFolderByName = 27,
    kAppFolderById = 28,
};

enum FolderListMember : DISPID {
    kListItem = 0,
    kListCount = 1,
    kListAdd = 3,
};

enum FolderMember : DISPID {
    kFolderIsMailbox = 1,
    kFolderSkipFlag = 4,
    kFolderFolders = 6,
    kFolderPath = 7,
    kFolderId = 8,
    kFolderMessages = 10,
    kFolderName = 11,
    kFolderDirectory = 12,
    kFolderOpen = 15,
};

enum MessageListMember : DISPID {
    kMessagesItem = 0,
    kMessagesCount = 1,
    kMessagesItemById = 2,
    kMessagesUpdateList = 5,
};

enum MessageMember : DISPID {
    kMessageHeaderField = 7,
    kMessageId = 8,
    kMessageRawText = 10,
    kMessagePriorityText = 12,
    kMessageStatus = 13,
    kMessageMove = 16,
};

// A fault switch armed for `operation` fails this call.
void CheckFault(HostSession& session, const char* operation) {
    if (session.faults().ShouldFail(operation)) {
        throw AutomationError(std::string("The host could not complete ") + operation + ".");
    }
}

std::string DirectoryWithBackslash(const std::string& path) {
    return path.substr(0, path.find_last_of('\\') + 1);
}

ComPtr<IDispatch> MakeFolder(const SessionRef& session, const FolderEntry& entry) {
    return DispatchObject::Make<FolderObject>(session, entry);
}

// A property read: a get with exactly `arguments` arguments.
bool IsGet(const Invocation& call, unsigned arguments = 0) {
    if (!call.IsGet()) {
        return false;
    }
    call.RequireArguments(arguments);
    return true;
}

// A method call, or an indexed property read, which clients make either way.
bool IsCallOrGet(const Invocation& call, unsigned arguments) {
    if (!call.IsCall() && !call.IsGet()) {
        return false;
    }
    call.RequireArguments(arguments);
    return true;
}

bool IsOneOf(DISPID id, std::initializer_list<DISPID> members) {
    return std::find(members.begin(), members.end(), id) != members.end();
}

bool IsCall(const Invocation& call, unsigned arguments) {
    if (!call.IsCall()) {
        return false;
    }
    call.RequireArguments(arguments);
    return true;
}

} // namespace

bool ApplicationObject::Answer(DISPID id, const Invocation& call) {
    HostSession& session = *session_;
    switch (id) {
    case kAppFolders:
        if (!IsGet(call)) {
            return false;
        }
        CheckFault(session, "Folders");
        call.ReturnObject(
            DispatchObject::Make<FolderListObject>(session_, session.store().dataDir()));
        return true;
    case kAppInBox:
        if (!IsGet(call)) {
            return false;
        }
        CheckFault(session, "InBox");
        for (const FolderEntry& entry : session.store().Children(session.store().dataDir())) {
            if (entry.isMailbox && LowerCase(entry.name) == "in") {
                call.ReturnObject(MakeFolder(session_, entry));
                return true;
            }
        }
        throw AutomationError("The In mailbox is missing.");
    case kAppStatusText:
        if (call.IsPut()) {
            call.RequireArguments(1);
            CheckFault(session, "StatusText");
            session.SetStatusText(call.TextArgument(0));
            return true;
        }
        if (IsGet(call)) {
            call.ReturnText(session.statusText());
            return true;
        }
        return false;
    case kAppFolderByName: {
        if (!IsCall(call, 2)) {
            return false;
        }
        CheckFault(session, "FolderByName");
        const std::string name = call.TextArgument(0);
        call.LongArgument(1);
        std::optional<FolderEntry> found = session.store().FindByName(name);
        if (!found) {
            throw AutomationError("There is no mailbox named \"" + name + "\".");
        }
        call.ReturnObject(MakeFolder(session_, *found));
        return true;
    }
    case kAppFolderById: {
        if (!IsCall(call, 2)) {
            return false;
        }
        CheckFault(session, "FolderById");
        const long folderId = call.LongArgument(0);
        call.LongArgument(1);
        std::optional<FolderEntry> found = session.store().FindById(folderId);
        if (!found) {
            throw AutomationError("There is no mailbox with the id " + std::to_string(folderId) +
                                  ".");
        }
        call.ReturnObject(MakeFolder(session_, *found));
        return true;
    }
    default:
        return false;
    }
}

std::vector<FolderEntry> FolderListObject::Entries() const {
    if (!directory_) {
        return {};
    }
    const bool topLevel = *directory_ == session_->store().dataDir();
    if (topLevel && !session_->IsReady()) {
        return {};
    }
    return session_->store().Children(*directory_);
}

bool FolderListObject::Answer(DISPID id, const Invocation& call) {
    switch (id) {
    case kListItem: {
        if (!IsCallOrGet(call, 1)) {
            return false;
        }
        const long index = call.LongArgument(0);
        const std::vector<FolderEntry> entries = Entries();
        if (index < 1 || static_cast<size_t>(index) > entries.size()) {
            throw AutomationError("There is no folder number " + std::to_string(index) + ".");
        }
        call.ReturnObject(MakeFolder(session_, entries[static_cast<size_t>(index) - 1]));
        return true;
    }
    case kListCount:
        if (!IsGet(call)) {
            return false;
        }
        call.ReturnLong(static_cast<long>(Entries().size()));
        return true;
    case kListAdd: {
        if (!IsCall(call, 2)) {
            return false;
        }
        CheckFault(*session_, "Add");
        const std::string name = TrimWhiteSpace(call.TextArgument(0));
        call.LongArgument(1);
        if (!directory_) {
            throw AutomationError("A mailbox cannot hold other mailboxes.");
        }
        session_->store().AddMailbox(*directory_, name);
        return true;
    }
    default:
        return false;
    }
}

void FolderObject::RequireMailbox() const {
    if (!entry_.isMailbox) {
        throw AutomationError(entry_.name + " is a folder, not a mailbox.");
    }
}

bool FolderObject::Answer(DISPID id, const Invocation& call) {
    if (!IsOneOf(id, {kFolderIsMailbox, kFolderSkipFlag, kFolderFolders, kFolderPath, kFolderId,
                      kFolderMessages, kFolderName, kFolderDirectory, kFolderOpen})) {
        return false;
    }
    if (id == kFolderOpen) {
        if (!IsCall(call, 0)) {
            return false;
        }
        CheckFault(*session_, "Open");
        if (entry_.isMailbox) {
            session_->store().Reload(entry_.path);
            session_->ShowMailbox(entry_);
        }
        return true;
    }
    if (!IsGet(call)) {
        return false;
    }
    switch (id) {
    case kFolderIsMailbox:
        call.ReturnLong(entry_.isMailbox ? 1 : 0);
        return true;
    case kFolderSkipFlag:
        call.ReturnLong(session_->IsSkipped(entry_.name) ? 1 : 0);
        return true;
    case kFolderFolders:
        call.ReturnObject(DispatchObject::Make<FolderListObject>(
            session_, entry_.isMailbox ? std::nullopt : std::optional<std::string>(entry_.path)));
        return true;
    case kFolderPath:
        call.ReturnText(entry_.path);
        return true;
    case kFolderId:
        call.ReturnLong(entry_.id);
        return true;
    case kFolderMessages:
        RequireMailbox();
        CheckFault(*session_, "Messages");
        session_->store().Mailbox(entry_.path);
        call.ReturnObject(DispatchObject::Make<MessageListObject>(session_, entry_));
        return true;
    case kFolderName:
        call.ReturnText(entry_.name);
        return true;
    case kFolderDirectory:
        call.ReturnText(DirectoryWithBackslash(entry_.path));
        return true;
    default:
        return false;
    }
}

bool MessageListObject::Answer(DISPID id, const Invocation& call) {
    MailStore& store = session_->store();
    switch (id) {
    case kMessagesItem: {
        if (!IsCallOrGet(call, 1)) {
            return false;
        }
        const long index = call.LongArgument(0);
        MailboxFile& mailbox = store.Mailbox(mailbox_.path);
        if (index < 1 || static_cast<size_t>(index) > mailbox.Count()) {
            throw AutomationError("There is no message number " + std::to_string(index) + " in " +
                                  mailbox_.name + ".");
        }
        const uint32_t messageId = mailbox.Entry(static_cast<size_t>(index) - 1).id;
        call.ReturnObject(DispatchObject::Make<MessageObject>(session_, mailbox_, messageId));
        return true;
    }
    case kMessagesCount:
        if (!IsGet(call)) {
            return false;
        }
        call.ReturnLong(static_cast<long>(store.Mailbox(mailbox_.path).Count()));
        return true;
    case kMessagesItemById: {
        if (!IsCallOrGet(call, 1)) {
            return false;
        }
        CheckFault(*session_, "ItemById");
        const long messageId = call.LongArgument(0);
        if (messageId < 0 ||
            !store.Mailbox(mailbox_.path).IndexOfId(static_cast<uint32_t>(messageId))) {
            throw AutomationError("There is no message with the id " + std::to_string(messageId) +
                                  " in " + mailbox_.name + ".");
        }
        call.ReturnObject(DispatchObject::Make<MessageObject>(session_, mailbox_,
                                                              static_cast<uint32_t>(messageId)));
        return true;
    }
    case kMessagesUpdateList:
        if (!IsCall(call, 0)) {
            return false;
        }
        CheckFault(*session_, "UpdateList");
        session_->MailboxChanged(mailbox_.path);
        return true;
    default:
        return false;
    }
}

size_t MessageObject::Index(MailboxFile& mailbox) const {
    const std::optional<size_t> index = mailbox.IndexOfId(id_);
    if (!index) {
        throw AutomationError("The message is no longer in " + mailbox_.name + ".");
    }
    return *index;
}

// The target may be any client's folder object: the host takes only its id
// and goes by its own records of that mailbox.
FolderEntry MessageObject::TargetMailbox(const Invocation& call) const {
    const DispatchRef target(call.ObjectArgument(0));
    long targetId = 0;
    try {
        targetId = target.GetLong(kFolderId);
    } catch (const HostError& failure) {
        throw AutomationError(std::string("The target mailbox cannot be read: ") + failure.what());
    }
    std::optional<FolderEntry> entry = session_->store().FindById(targetId);
    if (!entry) {
        throw AutomationError("There is no mailbox with the id " + std::to_string(targetId) + ".");
    }
    if (!entry->isMailbox) {
        throw AutomationError(entry->name + " is a folder, not a mailbox.");
    }
    return *entry;
}

bool MessageObject::Answer(DISPID id, const Invocation& call) {
    if (!IsOneOf(id, {kMessageHeaderField, kMessageId, kMessageRawText, kMessagePriorityText,
                      kMessageStatus, kMessageMove})) {
        return false;
    }
    MailStore& store = session_->store();
    if (id == kMessageMove) {
        if (!IsCall(call, 1)) {
            return false;
        }
        CheckFault(*session_, "Move");
        const FolderEntry target = TargetMailbox(call);
        Index(store.Mailbox(mailbox_.path));
        const std::string from = mailbox_.path;
        id_ = store.Move(from, id_, target.path);
        mailbox_ = target;
        session_->MailboxChanged(from);
        session_->MailboxChanged(target.path);
        return true;
    }
    if (id == kMessageStatus && call.IsPut()) {
        call.RequireArguments(1);
        CheckFault(*session_, "Status");
        MailboxFile& mailbox = store.Mailbox(mailbox_.path);
        mailbox.SetStatus(Index(mailbox), static_cast<int32_t>(call.LongArgument(0)));
        session_->MailboxChanged(mailbox_.path);
        return true;
    }
    const bool headerField = id == kMessageHeaderField;
    if (!IsGet(call, headerField ? 1 : 0)) {
        return false;
    }
    MailboxFile& mailbox = store.Mailbox(mailbox_.path);
    switch (id) {
    case kMessageHeaderField:
        call.ReturnText(
            mailbox.HeaderField(Index(mailbox), static_cast<int>(call.LongArgument(0))));
        return true;
    case kMessageId:
        call.ReturnLong(static_cast<long>(id_));
        return true;
    case kMessageRawText:
        CheckFault(*session_, "RawText");
        call.ReturnText(mailbox.RawText(Index(mailbox)));
        return true;
    case kMessagePriorityText:
        call.ReturnText(mailbox.PriorityText(Index(mailbox)));
        return true;
    case kMessageStatus:
        call.ReturnLong(mailbox.Entry(Index(mailbox)).status);
        return true;
    default:
        return false;
    }
}
