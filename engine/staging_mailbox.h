// The host's "Pending" mailbox as a restore passes messages through it:
// emptied before an archive's messages are written to it, but never while it
// holds messages of anybody else's.
#pragma once

#include "engine/restore_task.h"
#include "base/win32.h"

class StagingMailbox {
public:
    // `files` outlives it: when the host makes "Pending", its path is kept.
    explicit StagingMailbox(StagingFiles& files) : files_(files) {}

    // The host keeps a mailbox's files while its window is open. Its window
    // of "Pending" may also be the untitled one it opened for a mailbox it
    // did not know yet. Pauses when a window was closed.
    static void CloseWindow(DWORD pauseMilliseconds);

    // False, after saying why, when "Pending" holds messages, or its file
    // holds what the host cannot account for.
    bool IsFree();
    // Empties the files, or has the host make "Pending". False, after
    // saying why, when that cannot be done.
    bool Prepare();
    // Back to the empty files it was before anything was written to it;
    // false when they could not be cut back.
    bool CutBack();

private:
    StagingFiles& files_;
};
