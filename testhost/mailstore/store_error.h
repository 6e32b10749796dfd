// How the mail store reports every failure: one exception type whose text
// names the file involved, so a caller can show it as it stands.
#pragma once

#include "base/win32.h"

#include <stdexcept>
#include <string>

class StoreError : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

// "<action> <path>: <system text>" for the error code the platform reported.
[[noreturn]] void ThrowSystemError(const std::string& action, const std::string& path, DWORD error);
