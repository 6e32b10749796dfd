#include "mailbox/pending_transfer.h"

#include "host/host_application.h"
#include "host/host_error.h"
#include "mailbox/header_value.h"
#include "mailbox/host_mailboxes.h"
#include "plugin/message_box.h"

#include <cctype>
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

bool BeginsWithStatusLine(const std::string& headers) {
    static const char kField[] = "x-status: ";
    if (headers.size() < sizeof kField - 1) {
        return false;
    }
    for (size_t i = 0; i + 1 < sizeof kField; ++i) {
        if (std::tolower(static_cast<unsigned char>(headers[i])) != kField[i]) {
            return false;
        }
    }
    return true;
}

// The restore writes the status as the first line of each record. Only that
// line counts: a message's own "X-Status:" header, from another mail
// program, means something else. The host reads the records of "Pending"
// anew, so a message without the line, or with a value that is not a
// number, keeps what the host gave it there: unread, unless the host took
// the status from the line itself.
void RestoreStatus(const HostMessage& message) {
    const std::string headers = HeaderBlock(message.RawText());
    if (!BeginsWithStatusLine(headers)) {
        return;
    }
    if (const std::optional<long> status = StatusNumber(HeaderValue(headers, "X-Status: "))) {
        try {
            message.SetStatus(*status);
        } catch (const HostError&) {
            // A status the host refuses must not keep the message from its
            // mailbox.
        }
    }
}

} // namespace

int MovePendingMessages(const std::string& targetPath, const std::string& fallbackName,
                        const std::function<void(int)>& setProgress) {
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
        const HostFolder pending = host->FolderByName("Pending");
        pending.Open();
        long targetId = -1;
        FindHostMailboxByPath(host->Folders(), targetPath, targetId);
        const HostFolder target =
            targetId != -1 ? host->FolderById(targetId) : host->FolderByName(fallbackName);
        const HostMessageList messages = pending.Messages();
        const long total = messages.Count();
        // From the last, so that a move does not renumber the ones still to go.
        for (long number = total; number >= 1; --number) {
            const HostMessage message = messages.Item(number);
            RestoreStatus(message);
            message.Move(target);
            ++moved;
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
