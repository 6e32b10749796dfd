// The host's "Empty Trash" with its option "Delete attachments when emptying
// Trash" on: every message of Trash goes, and with it the files of the
// attachment folder and of "Embedded" that those messages name.
#pragma once

#include "testhost/host_session.h"

#include <string>

struct EmptiedTrash {
    size_t messages = 0;
    size_t filesDeleted = 0;
    // Why emptying stopped early; the messages not yet removed stay, and
    // so do their files.
    std::string problem;

    // What the status line says afterwards.
    std::string Summary() const;
};

// The mailbox windows showing Trash follow.
EmptiedTrash EmptyTrash(HostSession& session);
