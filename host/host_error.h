// What a failed conversation with the host leaves behind: the host's own
// text, and the code it came with.
#pragma once

#include "base/win32.h"

#include <stdexcept>
#include <string>

class HostError : public std::runtime_error {
public:
    HostError(HRESULT code, const std::string& text) : std::runtime_error(text), code_(code) {}
    HRESULT code() const noexcept { return code_; }

private:
    HRESULT code_;
};

// The host's automation server could not be reached at all.
class HostConnectError : public HostError {
public:
    using HostError::HostError;
};
