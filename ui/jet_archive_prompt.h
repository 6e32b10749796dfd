// The main dialog's start on an archive still in the Jet format: the user is
// asked, the archive converted (with progress and Stop in the dialog), and
// told what happened when it was not.
#pragma once

#include "engine/task_controls.h"
#include "plugin/win32.h"

#include <string>

// True when the archive at `archivePath` is now in the current format;
// false when it is still the Jet file (No, Stop or a failure, each told).
bool ConvertJetArchiveIfAgreed(HWND owner, const std::string& archivePath,
                               const std::string& logPath, TaskControls& controls);

// What Archive and Restore say while the archive is still the Jet file.
extern const char* const kJetArchiveRefusal;
