#include "testhost/automation_objects.h"

#include "host/dispatch_ref.h"
#include "host/host_error.h"
#include "plugin/file_utils.h"
#include "testhost/lower_case.h"

namespace {

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

} // namespace

bool ApplicationObject::Answer(DISPID id, const Invocation& call) {
    HostSession& session = *session_;
    switch (id) {
    case 3: // Folders
        if (!call.IsGet()) {
            return false;
        }
        CheckFault(session, "Folders");
        call.ReturnObject(
            DispatchObject::Make<FolderListObject>(session_, session.store().dataDir()));
        return true;
    case 6: { // InBox
        if (!call.IsGet()) {
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
    }
    case 15: // StatusText
        if (call.IsPut()) {
            CheckFault(session, "StatusText");
            session.SetStatusText(call.TextArgument(0));
            return true;
        }
        if (call.IsGet()) {
            call.ReturnText(session.statusText());
            return true;
        }
        return false;
    case 27: { // FolderByName
        if (!call.IsCall()) {
            return false;
        }
        CheckFault(session, "FolderByName");
        const std::string name = call.TextArgument(0);
        std::optional<FolderEntry> found = session.store().FindByName(name);
        if (!found) {
            throw AutomationError("There is no mailbox named \"" + name + "\".");
        }
        call.ReturnObject(MakeFolder(session_, *found));
        return true;
    }
    case 28: { // FolderById
        if (!call.IsCall()) {
            return false;
        }
        CheckFault(session, "FolderById");
        const long folderId = call.LongArgument(0);
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
    case 0: { // Item
        if (!call.IsGet() && !call.IsCall()) {
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
    case 1: // Count
        if (!call.IsGet()) {
            return false;
        }
        call.ReturnLong(static_cast<long>(Entries().size()));
        return true;
    case 3: { // Add
        if (!call.IsCall()) {
            return false;
        }
        CheckFault(*session_, "Add");
        if (!directory_) {
            throw AutomationError("A mailbox cannot hold other mailboxes.");
        }
        session_->store().AddMailbox(*directory_, TrimWhiteSpace(call.TextArgument(0)));
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
    if (id == 15) { // Open
        if (!call.IsCall()) {
            return false;
        }
        CheckFault(*session_, "Open");
        if (entry_.isMailbox) {
            session_->store().Reload(entry_.path);
            session_->ShowMailbox(entry_);
        }
        return true;
    }
    if (!call.IsGet()) {
        return false;
    }
    switch (id) {
    case 1: // IsMailbox
        call.ReturnLong(entry_.isMailbox ? 1 : 0);
        return true;
    case 4: // SkipFlag
        call.ReturnLong(session_->IsSkipped(entry_.name) ? 1 : 0);
        return true;
    case 6: // Folders
        call.ReturnObject(DispatchObject::Make<FolderListObject>(
            session_, entry_.isMailbox ? std::nullopt : std::optional<std::string>(entry_.path)));
        return true;
    case 7: // Path
        call.ReturnText(entry_.path);
        return true;
    case 8: // Id
        call.ReturnLong(entry_.id);
        return true;
    case 10: // Messages
        RequireMailbox();
        CheckFault(*session_, "Messages");
        session_->store().Mailbox(entry_.path);
        call.ReturnObject(DispatchObject::Make<MessageListObject>(session_, entry_));
        return true;
    case 11: // Name
        call.ReturnText(entry_.name);
        return true;
    case 12: // Directory
        call.ReturnText(DirectoryWithBackslash(entry_.path));
        return true;
    default:
        return false;
    }
}

bool MessageListObject::Answer(DISPID id, const Invocation& call) {
    MailStore& store = session_->store();
    switch (id) {
    case 0: { // Item
        if (!call.IsGet() && !call.IsCall()) {
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
    case 1: // Count
        if (!call.IsGet()) {
            return false;
        }
        call.ReturnLong(static_cast<long>(store.Mailbox(mailbox_.path).Count()));
        return true;
    case 2: { // ItemById
        if (!call.IsGet() && !call.IsCall()) {
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
    case 5: // UpdateList
        if (!call.IsCall()) {
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

bool MessageObject::Answer(DISPID id, const Invocation& call) {
    MailStore& store = session_->store();
    if (id == 16) { // Move
        if (!call.IsCall()) {
            return false;
        }
        CheckFault(*session_, "Move");
        // The target may be any client's folder object: ask it where it is.
        const DispatchRef target(call.ObjectArgument(0));
        FolderEntry targetEntry;
        try {
            targetEntry.path = target.GetText(7);
            targetEntry.isMailbox = target.GetLong(1) != 0;
            targetEntry.name = target.GetText(11);
            targetEntry.id = target.GetLong(8);
        } catch (const HostError& failure) {
            throw AutomationError(std::string("The target mailbox cannot be read: ") +
                                  failure.what());
        }
        if (!targetEntry.isMailbox) {
            throw AutomationError(targetEntry.name + " is a folder, not a mailbox.");
        }
        Index(store.Mailbox(mailbox_.path));
        const std::string from = mailbox_.path;
        id_ = store.Move(from, id_, targetEntry.path);
        mailbox_ = targetEntry;
        session_->MailboxChanged(from);
        session_->MailboxChanged(targetEntry.path);
        return true;
    }
    if (id == 13 && call.IsPut()) { // Status
        CheckFault(*session_, "Status");
        MailboxFile& mailbox = store.Mailbox(mailbox_.path);
        mailbox.SetStatus(Index(mailbox), static_cast<int32_t>(call.LongArgument(0)));
        session_->MailboxChanged(mailbox_.path);
        return true;
    }
    if (!call.IsGet()) {
        return false;
    }
    MailboxFile& mailbox = store.Mailbox(mailbox_.path);
    switch (id) {
    case 7: // HeaderField
        call.ReturnText(
            mailbox.HeaderField(Index(mailbox), static_cast<int>(call.LongArgument(0))));
        return true;
    case 8: // Id
        call.ReturnLong(static_cast<long>(id_));
        return true;
    case 10: // RawText
        CheckFault(*session_, "RawText");
        call.ReturnText(mailbox.RawText(Index(mailbox)));
        return true;
    case 12: // PriorityText
        call.ReturnText(mailbox.PriorityText(Index(mailbox)));
        return true;
    case 13: // Status
        call.ReturnLong(mailbox.Entry(Index(mailbox)).status);
        return true;
    default:
        return false;
    }
}
