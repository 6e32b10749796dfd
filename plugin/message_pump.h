// Keeps the host's windows alive while the plug-in works on the host's own
// thread.
#pragma once

// Dispatches every message waiting in the thread's queue. Returns false, and
// leaves the quit request queued for the host's own loop, when the thread
// has been asked to quit.
bool PumpWaitingMessages();
