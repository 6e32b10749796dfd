#include "mailbox/pending_transfer.h"

#include "host/host_application.h"
#include "host/host_error.h"
#include "mailbox/header_value.h"
#include "mailbox/host_mailboxes.h"
#include "base/message_box.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

namespace {

// The number an "X-Status:" value begins with, read as "%d" reads it.
std::optional<long> StatusNumber(const std::string& value) {
    const char* start = value.c_str();
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE || number < INT_MIN || number > INT_MAX) {
        return std::nullopt;
    }
    return number;
}

// The status the restore wrote as the first line of the record, when the
// host kept that line in the message: that line alone, since what follows
// it is the message's own.
std::optional<long> LeadingStatus(const std::string& rawText) {
    const std::optional<std::string> value =
        FindHeaderValue(rawText.substr(0, rawText.find("\r\n")), "X-Status: ");
    return value ? StatusNumber(*value) : std::nullopt;
}

void SetStatus(const HostMessage& message, long status) {
    try {
        message.SetStatus(status);
    } catch (const HostError&) {
        // A status the host refuses must not keep the message from its
        // mailbox.
    }
}

} // namespace

int MovePendingMessages(const std::string& stagingPath, const std::string& targetPath,
                        const std::string& fallbackName,
                        const std::function<void(int)>& setProgress,
                        const std::vector<int>& stagedStatuses,
                        const std::function<void(long)>& onMoved) {
    std::optional<HostApplication> host;
    try {
        host = HostApplication::Connect();
    } catch (const HostError& failure) {
        ShowStandardErrorBox(failure.what());
        setProgress(0);
        return 0;
    }
    int moved = 0;
    try {
        // By its file: a mailbox of the user's may share the name.
        const std::optional<HostFolder> staged = FindHostMailboxFile(*host, stagingPath);
        if (!staged) {
            setProgress(0);
            return 0;
        }
        const HostFolder& pending = *staged;
        pending.Open();
        long targetId = -1;
        FindHostMailboxByPath(host->Folders(), targetPath, targetId);
        const HostFolder target =
            targetId != -1 ? host->FolderById(targetId) : host->FolderByName(fallbackName);
        const HostMessageList messages = pending.Messages();
        const long total = messages.Count();
        // A message's own first line may look like the status line, and a
        // host may take that line out of the text: the statuses written are
        // the surer source.
        const bool byPlace = total == static_cast<long>(stagedStatuses.size());
        // From the last, so that a move does not renumber the ones still to go.
        for (long number = total; number >= 1; --number) {
            const HostMessage message = messages.Item(number);
            if (byPlace) {
                SetStatus(message, stagedStatuses[static_cast<size_t>(number - 1)]);
            } else if (const std::optional<long> status = LeadingStatus(message.RawText())) {
                SetStatus(message, *status);
            }
            message.Move(target);
            ++moved;
            if (byPlace && onMoved) {
                onMoved(number);
            }
            setProgress(static_cast<int>(number * 100 / total));
            host->SetStatusText("Restoring messages to " + target.Name() + ". ");
        }
        if (moved > 0) {
            target.Open();
        }
    } catch (const HostError&) {
        // Ends the moves; the messages not moved stay in "Pending".
    }
    setProgress(0);
    return moved;
}
