#pragma once

#include "base/message_box.h"
#include "base/message_routing.h"
#include "base/notice_cells.h"
#include "base/plugin_context.h"
#include "base/shell_launch.h"
#include "base/unique_resource.h"
#include "base/win32.h"
#include "base/window_utils.h"

#include <utility>

// The module object: one per loaded library, owner of the module context.
//
// Start-up is split in two. Under the loader lock (DllMain) only kernel32
// work is safe, so loading takes just the module's paths; COM/OLE and the
// user32 steps run on the first entry-point call of the host's thread and
// are undone on that thread by ems_plugin_finish.
class CStowlarkApp {
public:
    static constexpr const char* kAppName = "Message Stowlark for Eudora";

    explicit CStowlarkApp(HINSTANCE instance) : instance_(instance) {}
    CStowlarkApp(const CStowlarkApp&) = delete;
    CStowlarkApp& operator=(const CStowlarkApp&) = delete;

    // At library load: the module's own path and the files beside it.
    void InitInstance();
    // At the start of every entry point; the first call on a thread
    // initialises OLE there, and the first call at all does the user32 steps.
    // Returns true when this call initialised OLE only for itself (a thread
    // other than the one that owns the module's OLE initialisation).
    bool EnterEntryPoint();
    void LeaveEntryPoint(bool ownsCallInitialisation);
    // At ems_plugin_finish: undoes EnterEntryPoint's OLE initialisation when
    // called on the thread that made it.
    void ExitInstance();

    // The plug-in's command pumps the host's messages while it runs, so the
    // user can pick it again from the host's menu; only one may run.
    bool TryBeginCommand() { return !std::exchange(commandRunning_, true); }
    void EndCommand() { commandRunning_ = false; }

    HINSTANCE Instance() const { return instance_; }
    PluginContext& Context() { return context_; }

    MessageRouting& Routing() { return routing_; }
    ::NoticeCells& NoticeCells() { return noticeCells_; }
    DelayTally& Delays() { return delays_; }
    // The one waitable timer every pause waits on; made at the first pause.
    // Null when the platform gives none.
    HANDLE DelayTimer();

    const MessageBoxSink& messageBoxSink() const { return messageBoxSink_; }
    // Returns the previous sink so that a caller can put it back.
    MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);
    const ShellLaunchSink& shellLaunchSink() const { return shellLaunchSink_; }
    ShellLaunchSink SetShellLaunchSink(ShellLaunchSink sink);
    // The library itself never sets one: every pause of the plug-in waits.
    const DelaySink& delaySink() const { return delaySink_; }
    DelaySink SetDelaySink(DelaySink sink);

private:
    HINSTANCE instance_;
    PluginContext context_;
    MessageRouting routing_;
    ::NoticeCells noticeCells_;
    DelayTally delays_;
    UniqueHandle delayTimer_;
    MessageBoxSink messageBoxSink_;
    ShellLaunchSink shellLaunchSink_;
    DelaySink delaySink_;
    bool userStepsDone_ = false;
    bool commandRunning_ = false;
    DWORD oleThread_ = 0;
    bool oleInitialised_ = false;
};

// The module object of the library (or of the program that links the
// plug-in's code directly, as the tests do).
CStowlarkApp& App();

// Brackets the body of every exported entry point.
class EntryPointScope {
public:
    EntryPointScope() : callInitialisation_(App().EnterEntryPoint()) {}
    ~EntryPointScope() { App().LeaveEntryPoint(callInitialisation_); }
    EntryPointScope(const EntryPointScope&) = delete;
    EntryPointScope& operator=(const EntryPointScope&) = delete;

private:
    bool callInitialisation_;
};
