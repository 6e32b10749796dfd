#include "ui/host_folder_records.h"

#include "host/host_application.h"
#include "host/host_error.h"
#include "base/message_box.h"
#include "base/message_pump.h"

namespace {

// One item the host failed on, and what it said.
std::string SkippedItem(const std::string& label, const HostError& failure) {
    return "\t" + label + ": " + failure.what();
}

// An item the host fails on is left out with what is under it; the rest of
// the tree stays.
void WalkFolders(const HostFolderList& folders, const std::string& where,
                 std::vector<HostFolderRecord>& records, std::vector<std::string>& skipped) {
    const long count = folders.Count();
    for (long index = 1; index <= count; ++index) {
        std::string label = "item " + std::to_string(index) + " of " + where;
        try {
            const HostFolder folder = folders.Item(index);
            if (folder.SkipFlag() == 1) {
                continue;
            }
            HostFolderRecord record;
            record.name = folder.Name();
            label = record.name.empty() ? label : "\"" + record.name + "\" in " + where;
            record.path = folder.Path();
            record.hostId = folder.Id();
            if (folder.IsMailbox() == 1) {
                record.kind = kMailboxItem;
                record.count = static_cast<int>(folder.Messages().Count());
                records.push_back(std::move(record));
            } else {
                record.kind = kFolderItem;
                record.count = kNoCount;
                const HostFolderList children = folder.Folders();
                const std::string inside = record.name;
                records.push_back(std::move(record));
                WalkFolders(children, inside, records, skipped);
            }
        } catch (const HostConnectError&) {
            throw;
        } catch (const HostError& failure) {
            skipped.push_back(SkippedItem(label, failure));
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
        std::vector<std::string> skipped;
        WalkFolders(folders, "the top level", records, skipped);
        if (!skipped.empty()) {
            std::string text = "The host could not give these mailboxes or folders, so they "
                               "are left out of the trees:";
            for (const std::string& item : skipped) {
                text += "\n" + item;
            }
            ShowStandardErrorBox(text);
        }
        return records;
    } catch (const HostConnectError& failure) {
        ShowHostConnectFailure(failure);
    } catch (const HostError& failure) {
        ShowStandardErrorBox(failure.what());
    }
    return std::nullopt;
}
