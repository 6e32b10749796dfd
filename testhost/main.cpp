// testhost.exe: a mail host of our own that keeps real mail on disk, answers
// the plug-in through its automation server and loads it through the EMS
// interface, so the plug-in can be run and tested where the real client is
// not.
#include "base/file_utils.h"
#include "base/message_pump.h"
#include "testhost/automation_server.h"
#include "testhost/ems_host.h"
#include "testhost/host_options.h"
#include "testhost/host_window.h"
#include "testhost/ole_scope.h"
#include "testhost/plugin_window_user.h"
#include "testhost/pump_for.h"
#include "testhost/script_runner.h"
#include "testhost/mailstore/sample_mail.h"
#include "testhost/window_snapshot.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

// Long enough for a virtual display to draw the host's windows.
const DWORD kPaintMilliseconds = 700;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int MakeSample(const std::string& directory) {
    try {
        WriteSampleMailFolder(directory);
    } catch (const std::exception& failure) {
        Say(std::string("testhost: ") + failure.what());
        return 1;
    }
    Say("testhost: wrote a sample mail folder into " + directory);
    return 0;
}

int RunHost(const HostOptions& options) {
    std::vector<ScriptStep> script;
    if (!options.scriptPath.empty()) {
        if (!FileExists(options.scriptPath)) {
            Say("testhost: no script " + options.scriptPath);
            return 2;
        }
        try {
            script = ParseHostScript(ReadWholeFile(options.scriptPath));
        } catch (const std::invalid_argument& problem) {
            Say(std::string("testhost: ") + options.scriptPath + ": " + problem.what());
            return 2;
        }
    }
    OleScope ole;
    if (!ole.ok()) {
        Say("testhost: OLE could not be initialised");
        return 1;
    }
    std::shared_ptr<HostSession> session;
    try {
        session = std::make_shared<HostSession>(options.settings);
    } catch (const std::exception& failure) {
        Say(std::string("testhost: ") + failure.what());
        return 1;
    }
    AutomationServer server(session);
    if (!server.failure().empty()) {
        Say("testhost: " + server.failure());
        return 1;
    }
    Say("testhost: serving " + std::string(AutomationServer::kProgId) + " for the mail folder " +
        session->store().dataDir());

    std::unique_ptr<EmsHost> plugin;
    if (!options.pluginPath.empty()) {
        plugin = std::make_unique<EmsHost>(
            options.pluginPath, session->store().dataDir() + "\\Plugins", options.interfaceVersion);
    }
    HostWindow window(::GetModuleHandleA(nullptr), session, plugin.get());
    if (!window.Create(SW_SHOWNORMAL)) {
        Say("testhost: the main window could not be created");
        return 1;
    }
    if (plugin) {
        for (const SpecialMenuEntry& entry : plugin->entries()) {
            Say("testhost: Special menu entry " + std::to_string(entry.id) + ": \"" + entry.text +
                "\"" + (entry.icon ? " with its icon" : ""));
        }
    }
    if (auto in = session->store().FindByName("In")) {
        window.ShowMailbox(*in);
    }
    std::unique_ptr<PluginWindowUser> user;
    if (options.dismissAfterMilliseconds > 0) {
        user = std::make_unique<PluginWindowUser>(window.handle(), options.dismissAfterMilliseconds,
                                                  options.windowPictureDir);
    }
    std::unique_ptr<ScriptRunner> runner;
    if (!options.scriptPath.empty()) {
        runner = std::make_unique<ScriptRunner>(
            window.handle(), session->store(), std::move(script),
            options.windowPictureDir.empty() ? session->store().dataDir()
                                             : options.windowPictureDir,
            options.exitWhenDone,
            [](const std::string& line) { Say("testhost: script: " + line); });
    }
    for (int entry : options.runSpecial) {
        window.RunSpecial(static_cast<size_t>(entry - 1));
    }
    if (plugin && options.runConfig) {
        plugin->Configure();
    }
    if (user) {
        for (const std::string& line : user->transcript()) {
            Say("testhost: " + line);
        }
        user.reset();
    }
    int exitCode = 0;
    if (runner) {
        // Steps after the plug-in's command, or all of them when the user
        // picks it: the runner's own waits end every step.
        while (!runner->finished() && ::IsWindow(window.handle()) && PumpWaitingMessages()) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        Say(runner->completed() ? "testhost: the script ran to its end"
                                : "testhost: the script did not run to its end");
        if (!runner->completed()) {
            // Let the runner's closing of the plug-in's windows finish.
            PumpFor(1000);
            exitCode = 3;
        }
    }
    if (!options.snapshotPath.empty()) {
        PumpFor(kPaintMilliseconds);
        Say(SaveWindowSnapshot(window.handle(), options.snapshotPath)
                ? "testhost: saved a picture of the host window in " + options.snapshotPath
                : "testhost: could not save a picture of the host window");
    }
    if (options.exitWhenDone) {
        ::DestroyWindow(window.handle());
        PumpWaitingMessages();
    } else {
        const int loopCode = window.RunMessageLoop();
        exitCode = exitCode != 0 ? exitCode : loopCode;
    }
    if (plugin) {
        for (const std::string& line : plugin->transcript()) {
            Say("testhost: plug-in " + line);
        }
    }
    for (const std::string& text : session->statusHistory()) {
        Say("testhost: status line \"" + text + "\"");
    }
    if (plugin && !plugin->problems().empty()) {
        Say("testhost: the plug-in answered " + std::to_string(plugin->problems().size()) +
            " time(s) in ways the interface does not allow");
        return 2;
    }
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    HostOptions options;
    try {
        options = ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& problem) {
        std::fprintf(stderr, "testhost: %s\n%s", problem.what(), kHostUsage);
        return 2;
    }
    if (options.showHelp) {
        std::printf("%s", kHostUsage);
        return 0;
    }
    if (!options.makeSampleDir.empty()) {
        return MakeSample(options.makeSampleDir);
    }
    return RunHost(options);
}
