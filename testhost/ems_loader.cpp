// Loads a plug-in library and calls its entry points in the order the host
// does, printing every answer. Usage: emsloader [plugin.dll] [config-dir]
#include "testhost/plugin_library.h"
#include "testhost/program_directory.h"

#include <cstdio>
#include <string>

namespace {

const char* Show(const char* text) {
    return text ? text : "(null)";
}

} // namespace

int main(int argc, char** argv) {
    const std::string pluginPath = argc > 1 ? argv[1] : ProgramDirectory() + "\\stowlark.dll";
    std::string configDir = argc > 2 ? argv[2] : ProgramDirectory();

    PluginLibrary plugin(pluginPath);
    if (!plugin.loaded()) {
        std::printf("cannot load %s (error %lu)\n", pluginPath.c_str(), ::GetLastError());
        return 1;
    }
    std::printf("loaded %s\n", pluginPath.c_str());
    if (!plugin.complete()) {
        std::printf("the library does not export all seven entry points\n");
        return 1;
    }

    short apiVersion = 0;
    long result = plugin.version(&apiVersion);
    std::printf("ems_plugin_version -> %ld, interface version %d\n", result, apiVersion);

    EmsMailConfig config = {};
    config.size = sizeof config;
    config.configDir = &configDir[0];
    EmsPluginInfo pluginInfo = {};
    pluginInfo.size = sizeof pluginInfo;
    const short hostApiVersion = 7;
    result = plugin.init(nullptr, hostApiVersion, &config, &pluginInfo);
    std::printf("ems_plugin_init(interface %d, config %s) -> %ld\n", hostApiVersion,
                configDir.c_str(), result);
    std::printf("  description \"%s\", plug-in id %ld, Special-menu entries %ld, icon %s\n",
                Show(pluginInfo.description), static_cast<long>(pluginInfo.pluginId),
                static_cast<long>(pluginInfo.specialMenuCount),
                pluginInfo.icon && *pluginInfo.icon ? "loaded" : "missing");

    EmsMenu menu = {};
    menu.size = sizeof menu;
    menu.id = 1;
    result = plugin.info(nullptr, &menu);
    std::printf("ems_special_info(entry 1) -> %ld: \"%s\", flags 0x%lx, icon %s\n", result,
                Show(menu.text), static_cast<unsigned long>(menu.flags),
                menu.icon && *menu.icon ? "loaded" : "missing");

    EmsMenu unknown = {};
    unknown.size = sizeof unknown;
    unknown.id = 2;
    std::printf("ems_special_info(entry 2) -> %ld\n", plugin.info(nullptr, &unknown));
    std::printf("ems_special_hook(entry 2) -> %ld\n", plugin.hook(nullptr, &unknown));
    std::printf("ems_plugin_finish -> %ld\n", plugin.finish(nullptr));

    for (void* block :
         {static_cast<void*>(pluginInfo.description), static_cast<void*>(pluginInfo.icon),
          static_cast<void*>(menu.text), static_cast<void*>(menu.icon)}) {
        plugin.release(block);
    }
    std::printf("ems_free: %d blocks returned\n", 4);
    return 0;
}
