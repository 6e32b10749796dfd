#include "ui/host_folder_records.h"

#include "host/host_application.h"
#include "host/host_error.h"
#include "plugin/message_box.h"
#include "plugin/message_pump.h"

namespace {

void WalkFolders(const HostFolderList& folders, std::vector<HostFolderRecord>& records) {
    const long count = folders.Count();
    for (long index = 1; index <= count; ++index) {
        const HostFolder folder = folders.Item(index);
        if (folder.SkipFlag() == 1) {
            continue;
        }
        HostFolderRecord record;
        record.path = folder.Path();
        record.name = folder.Name();
        record.hostId = folder.Id();
        if (folder.IsMailbox() == 1) {
            record.kind = kMailboxItem;
            record.count = static_cast<int>(folder.Messages().Count());
            records.push_back(std::move(record));
        } else {
            record.kind = kFolderItem;
            record.count = kNoCount;
            records.push_back(std::move(record));
            WalkFolders(folder.Folders(), records);
        }
    }
}

} // namespace

std::optional<std::vector<HostFolderRecord>> ReadHostFolders() {
    try {
        const HostApplication host = HostApplication::Connect();
        const HostFolderList folders = host.Folders();
        if (folders.Count() == 0) {
            // A host still starting up lists its mailboxes once it has
            // handled what waits for it.
            PumpWaitingMessages();
        }
        std::vector<HostFolderRecord> records;
        WalkFolders(folders, records);
        return records;
    } catch (const HostConnectError& failure) {
        ShowHostConnectFailure(failure);
    } catch (const HostError& failure) {
        ShowStandardErrorBox(failure.what());
    }
    return std::nullopt;
}
