#include "base/shell_launch.h"

#include "base/stowlark_app.h"
#include "base/unique_resource.h"

#include <shellapi.h>

#include <vector>

bool OpenDocument(const std::string& fileOrAddress) {
    if (const ShellLaunchSink& sink = App().shellLaunchSink()) {
        return sink(ShellLaunch::OpenDocument, fileOrAddress);
    }
    const HINSTANCE result =
        ::ShellExecuteA(nullptr, "open", fileOrAddress.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool RunProgram(const std::string& commandLine) {
    if (const ShellLaunchSink& sink = App().shellLaunchSink()) {
        return sink(ShellLaunch::RunProgram, commandLine);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // CreateProcess may write into the command line.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return false;
    }
    const UniqueHandle thread(process.hThread);
    const UniqueHandle child(process.hProcess);
    return true;
}
