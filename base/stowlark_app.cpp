#include "base/stowlark_app.h"

#include "res/resource_ids.h"

#include <objbase.h>
#include <ole2.h>

#include <utility>

// The image base of whichever module this code is linked into: the plug-in
// library, or a test program that links the plug-in's code.
extern "C" IMAGE_DOS_HEADER __ImageBase;

CStowlarkApp& App() {
    static CStowlarkApp app(reinterpret_cast<HINSTANCE>(&__ImageBase));
    return app;
}

void CStowlarkApp::InitInstance() {
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(instance_, path, MAX_PATH);
    SetPathsBesideModule(context_, std::string(path, length < MAX_PATH ? length : 0));
}

bool CStowlarkApp::EnterEntryPoint() {
    if (!userStepsDone_) {
        context_.archiveClosedMessage = ::RegisterWindowMessageA("uiArchiveClosed");
        context_.splitterCursor = ::LoadCursorA(instance_, MAKEINTRESOURCEA(IDC_SPLITTER_DRAG));
        userStepsDone_ = true;
    }
    const DWORD thread = ::GetCurrentThreadId();
    if (!oleInitialised_) {
        if (SUCCEEDED(::OleInitialize(nullptr))) {
            oleInitialised_ = true;
            oleThread_ = thread;
        }
        return false;
    }
    if (thread != oleThread_) {
        return SUCCEEDED(::OleInitialize(nullptr));
    }
    return false;
}

void CStowlarkApp::LeaveEntryPoint(bool ownsCallInitialisation) {
    if (ownsCallInitialisation) {
        ::OleUninitialize();
    }
}

void CStowlarkApp::ExitInstance() {
    if (oleInitialised_ && ::GetCurrentThreadId() == oleThread_) {
        ::OleUninitialize();
        oleInitialised_ = false;
        oleThread_ = 0;
    }
}

MessageBoxSink CStowlarkApp::SetMessageBoxSink(MessageBoxSink sink) {
    return std::exchange(messageBoxSink_, std::move(sink));
}

ShellLaunchSink CStowlarkApp::SetShellLaunchSink(ShellLaunchSink sink) {
    return std::exchange(shellLaunchSink_, std::move(sink));
}

DelaySink CStowlarkApp::SetDelaySink(DelaySink sink) {
    return std::exchange(delaySink_, std::move(sink));
}

HANDLE CStowlarkApp::DelayTimer() {
    if (!delayTimer_) {
        delayTimer_.reset(::CreateWaitableTimerA(nullptr, TRUE, nullptr));
    }
    return delayTimer_.get();
}
