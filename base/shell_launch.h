// Every document, address or program the plug-in hands to the system goes
// through here, so that a test can take the request instead of a browser,
// help viewer or editor appearing.
#pragma once

#include <functional>
#include <string>

enum class ShellLaunch {
    // A file or web address, opened by whatever the user has chosen for it.
    OpenDocument,
    // A program's command line, its window shown normally.
    RunProgram,
};

using ShellLaunchSink = std::function<bool(ShellLaunch kind, const std::string& target)>;

// True when the system accepted the request.
bool OpenDocument(const std::string& fileOrAddress);
bool RunProgram(const std::string& commandLine);
