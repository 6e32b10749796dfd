#include "base/plugin_context.h"

#include "base/file_utils.h"

void SetPathsBesideModule(PluginContext& context, const std::string& modulePath) {
    context.modulePath = modulePath;
    const std::string directory = DirectoryOf(modulePath);
    context.settingsPath = directory + "\\stowlark.ini";
    context.logPath = directory + "\\stowlark.log";
    context.helpPath = directory + "\\stowlark.chm";
}

void ApplyHostConfiguration(PluginContext& context, const std::string& configDir) {
    context.hostConfigDir = configDir;
    context.hostDataDir =
        configDir.size() >= 8 ? configDir.substr(0, configDir.size() - 8) : std::string();
    if (!FileExists(context.modulePath)) {
        // The host loaded us from somewhere we cannot see; keep the settings
        // where the host keeps its own configuration.
        context.modulePath = configDir + "\\stowlark.dll";
        context.settingsPath = configDir + "\\stowlark.ini";
    }
    context.inMailboxPath = context.hostDataDir + "\\In.mbx";
    context.databasePath = configDir + "\\archive.mdb";
}
