#pragma once

#include "base/win32.h"

#include <ole2.h>

// OLE initialised on this thread for as long as the scope lasts; the host's
// automation server and its clients need it.
class OleScope {
public:
    OleScope() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleScope() {
        if (ok_) {
            ::OleUninitialize();
        }
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};
