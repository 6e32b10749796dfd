// The mailbox selected in the main dialog's mailbox tree, opened in the
// host's own window; a folder is expanded instead.
#pragma once

#include "ui/archive_trees.h"

// True when the host opened the mailbox; a host that cannot be reached or
// refuses is told of in a message box.
bool OpenSelectedMailbox(CArchiveTrees& trees);
