// Nothing thrown in the plug-in may unwind into the host's or the system's
// code: an exception crossing an entry point, a window procedure, a timer
// callback or a COM method is undefined behaviour there and can take the
// host down. Each such boundary runs its body through one of these, which
// shows the error box with the exception's text and gives the caller an
// answer it can live with.
#pragma once

#include "base/win32.h"

#include <new>

// The error box for the exception being handled; never throws. Only to be
// called from inside a catch block.
void ReportEscapedException() noexcept;

// `body()`, or `fallback` once an exception out of it has been reported.
template <typename Result, typename Body>
Result CallGuarded(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        ReportEscapedException();
        return fallback;
    }
}

// For COM methods: the method's own result, or the failure its caller
// expects of a method that could not finish.
template <typename Body> HRESULT CallGuardedCom(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        ReportEscapedException();
        return E_OUTOFMEMORY;
    } catch (...) {
        ReportEscapedException();
        return E_UNEXPECTED;
    }
}

// `body()`, which gives nothing back; false once an exception out of it
// has been reported.
template <typename Body> bool RunGuarded(Body&& body) noexcept {
    return CallGuarded(false, [&] {
        body();
        return true;
    });
}
