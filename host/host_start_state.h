// What the plug-in learns from the host each time its command starts.
#pragma once

#include "base/plugin_context.h"

// Connects to the host, shows "Archive Messages." in its status line, waits
// (pumping the thread's messages) until the host reports its mailboxes, and
// takes the host's data directory and In mailbox path into the context.
// False, after the standard error box, when the host cannot be reached or
// fails to answer; false without a box when the host is closing.
bool ReadHostStartState(PluginContext& context);
