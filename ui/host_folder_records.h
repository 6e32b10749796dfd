// The host's mailboxes and folders as one flat list, parents before their
// children, for building the trees.
#pragma once

#include "ui/tree_items.h"

#include <optional>
#include <vector>

// nullopt, after the standard error box, when the host cannot be reached or
// cannot list its top level. A mailbox or folder the host fails on is left
// out, with what it holds, and named in one box.
std::optional<std::vector<HostFolderRecord>> ReadHostFolders();
