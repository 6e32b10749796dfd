#include "host/host_message.h"

#include "host/host_folder.h"

namespace {

enum MessageDispatchId : DISPID {
    kHeaderField = 7,
    kId = 8,
    kRawText = 10,
    kPriorityText = 12,
    kStatus = 13,
    kMove = 16,
};

enum MessageListDispatchId : DISPID {
    kListItem = 0,
    kListCount = 1,
    kListItemById = 2,
    kListUpdate = 5,
};

} // namespace

std::string HostMessage::HeaderField(long field) const {
    const Variant number(field);
    return host_.GetText(kHeaderField, {&number});
}

long HostMessage::Id() const {
    return host_.GetLong(kId);
}

std::string HostMessage::RawText() const {
    return host_.GetText(kRawText);
}

std::string HostMessage::PriorityText() const {
    return host_.GetText(kPriorityText);
}

long HostMessage::Status() const {
    return host_.GetLong(kStatus);
}

void HostMessage::SetStatus(long status) const {
    host_.Put(kStatus, Variant(status));
}

void HostMessage::Move(const HostFolder& mailbox) const {
    const Variant target(mailbox.object());
    host_.Call(kMove, {&target});
}

HostMessage HostMessageList::Item(long index) const {
    const Variant position(index);
    return HostMessage(host_.GetObject(kListItem, {&position}));
}

long HostMessageList::Count() const {
    return host_.GetLong(kListCount);
}

HostMessage HostMessageList::ItemById(long id) const {
    const Variant number(id);
    return HostMessage(host_.GetObject(kListItemById, {&number}));
}

void HostMessageList::UpdateList() const {
    host_.Call(kListUpdate);
}
