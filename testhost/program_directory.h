#pragma once

#include "base/win32.h"

#include <string>

// The folder of the running program, where the build puts the plug-in too.
inline std::string ProgramDirectory() {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length < MAX_PATH ? length : 0);
    std::string::size_type slash = text.rfind('\\');
    return slash == std::string::npos ? std::string() : text.substr(0, slash);
}
