// Loads a plug-in library and calls its entry points in the order the host
// does, printing every answer. Usage: emsloader [plugin.dll] [config-dir]
#include "plugin/ems_records.h"

#include <cstdio>
#include <string>

namespace {

template <typename Function> Function Entry(HMODULE module, const char* name) {
    FARPROC address = ::GetProcAddress(module, name);
    if (!address) {
        std::printf("missing entry point %s\n", name);
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

std::string DirectoryOfProgram() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path);
    return text.substr(0, text.rfind('\\'));
}

const char* Show(const char* text) {
    return text ? text : "(null)";
}

} // namespace

int main(int argc, char** argv) {
    const std::string pluginPath = argc > 1 ? argv[1] : DirectoryOfProgram() + "\\stowlark.dll";
    std::string configDir = argc > 2 ? argv[2] : DirectoryOfProgram();

    HMODULE plugin = ::LoadLibraryA(pluginPath.c_str());
    if (!plugin) {
        std::printf("cannot load %s (error %lu)\n", pluginPath.c_str(), ::GetLastError());
        return 1;
    }
    std::printf("loaded %s\n", pluginPath.c_str());

    auto version = Entry<decltype(&ems_plugin_version)>(plugin, "ems_plugin_version");
    auto init = Entry<decltype(&ems_plugin_init)>(plugin, "ems_plugin_init");
    auto info = Entry<decltype(&ems_special_info)>(plugin, "ems_special_info");
    auto hook = Entry<decltype(&ems_special_hook)>(plugin, "ems_special_hook");
    auto finish = Entry<decltype(&ems_plugin_finish)>(plugin, "ems_plugin_finish");
    auto release = Entry<decltype(&ems_free)>(plugin, "ems_free");
    if (!version || !init || !info || !hook || !finish || !release ||
        !::GetProcAddress(plugin, "ems_plugin_config")) {
        return 1;
    }

    short apiVersion = 0;
    long result = version(&apiVersion);
    std::printf("ems_plugin_version -> %ld, interface version %d\n", result, apiVersion);

    EmsMailConfig config = {};
    config.size = sizeof config;
    config.configDir = &configDir[0];
    EmsPluginInfo pluginInfo = {};
    pluginInfo.size = sizeof pluginInfo;
    const short hostApiVersion = 7;
    result = init(nullptr, hostApiVersion, &config, &pluginInfo);
    std::printf("ems_plugin_init(interface %d, config %s) -> %ld\n", hostApiVersion,
                configDir.c_str(), result);
    std::printf("  description \"%s\", plug-in id %ld, Special-menu entries %ld, icon %s\n",
                Show(pluginInfo.description), static_cast<long>(pluginInfo.pluginId),
                static_cast<long>(pluginInfo.specialMenuCount),
                pluginInfo.icon && *pluginInfo.icon ? "loaded" : "missing");

    EmsMenu menu = {};
    menu.size = sizeof menu;
    menu.id = 1;
    result = info(nullptr, &menu);
    std::printf("ems_special_info(entry 1) -> %ld: \"%s\", flags 0x%lx, icon %s\n", result,
                Show(menu.text), static_cast<unsigned long>(menu.flags),
                menu.icon && *menu.icon ? "loaded" : "missing");

    EmsMenu unknown = {};
    unknown.size = sizeof unknown;
    unknown.id = 2;
    std::printf("ems_special_info(entry 2) -> %ld\n", info(nullptr, &unknown));
    std::printf("ems_special_hook(entry 2) -> %ld\n", hook(nullptr, &unknown));
    std::printf("ems_plugin_finish -> %ld\n", finish(nullptr));

    for (void* block :
         {static_cast<void*>(pluginInfo.description), static_cast<void*>(pluginInfo.icon),
          static_cast<void*>(menu.text), static_cast<void*>(menu.icon)}) {
        release(block);
    }
    std::printf("ems_free: %d blocks returned\n", 4);
    ::FreeLibrary(plugin);
    return 0;
}
