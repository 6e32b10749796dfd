// The main dialog's start on an archive still in the Jet format: the user is
// asked, the archive converted (with progress and Stop in the dialog), and
// told what happened when it was not.
#pragma once

#include "engine/task_controls.h"
#include "base/win32.h"

#include <string>

// Converts the Jet file `jetPath` into the archive at `archivePath`: the
// same file, or the backup an earlier, cut-off conversion kept of it. Empty
// when the archive is now in the current format; otherwise why it cannot be
// used (No, Stop, a failure, or a Jet file that is no archive), which the
// user has been told.
std::string ConvertJetArchiveIfAgreed(HWND owner, const std::string& jetPath,
                                      const std::string& archivePath, const std::string& logPath,
                                      TaskControls& controls);
