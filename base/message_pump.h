// Keeps the host's windows alive while the plug-in works on the host's own
// thread.
#pragma once

#include "base/win32.h"

// Dispatches every message waiting in the thread's queue. Returns false, and
// leaves the quit request queued for the host's own loop, when the thread
// has been asked to quit.
bool PumpWaitingMessages();

// One message through the plug-in's windows' keyboard handling, then to its
// window procedure.
void DispatchThreadMessage(MSG& message);
