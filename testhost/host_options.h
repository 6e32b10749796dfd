// The test host's command line.
#pragma once

#include "testhost/host_session.h"

#include <string>
#include <vector>

struct HostOptions {
    HostSettings settings;
    std::string makeSampleDir;
    std::string pluginPath;
    short interfaceVersion = 7;
    // Special-menu entries (1-based) picked as soon as the host is up.
    std::vector<int> runSpecial;
    // Runs the plug-in's configuration call (its About dialog) once the host
    // is up, after the picked entries.
    bool runConfig = false;
    // Once a plug-in window has been up this long it is closed as a user
    // would close it; 0 leaves that to the user.
    unsigned dismissAfterMilliseconds = 0;
    // A picture (BMP) of each plug-in window, named by its caption, taken
    // before it is closed.
    std::string windowPictureDir;
    // A script of steps played in the plug-in's windows (host_script.h).
    std::string scriptPath;
    // Closes the host after the picked commands instead of waiting for the user.
    bool exitWhenDone = false;
    // A picture of the host window, taken before it closes.
    std::string snapshotPath;
    bool showHelp = false;
};

// Throws std::invalid_argument with a text for the user when the command
// line makes no sense.
HostOptions ParseHostOptions(const std::vector<std::string>& arguments);

extern const char kHostUsage[];
