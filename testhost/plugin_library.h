#pragma once

#include "plugin/ems_records.h"
#include "base/unique_resource.h"

#include <string>

// A plug-in library loaded the way the host loads it, with its seven calls
// looked up by their exported names.
class PluginLibrary {
public:
    explicit PluginLibrary(const std::string& path) : module_(::LoadLibraryA(path.c_str())) {
        if (!module_) {
            return;
        }
        version = Entry<decltype(&ems_plugin_version)>("ems_plugin_version");
        init = Entry<decltype(&ems_plugin_init)>("ems_plugin_init");
        info = Entry<decltype(&ems_special_info)>("ems_special_info");
        hook = Entry<decltype(&ems_special_hook)>("ems_special_hook");
        config = Entry<decltype(&ems_plugin_config)>("ems_plugin_config");
        finish = Entry<decltype(&ems_plugin_finish)>("ems_plugin_finish");
        release = Entry<decltype(&ems_free)>("ems_free");
    }

    bool loaded() const { return module_.valid(); }
    bool complete() const { return version && init && info && hook && config && finish && release; }

    decltype(&ems_plugin_version) version = nullptr;
    decltype(&ems_plugin_init) init = nullptr;
    decltype(&ems_special_info) info = nullptr;
    decltype(&ems_special_hook) hook = nullptr;
    decltype(&ems_plugin_config) config = nullptr;
    decltype(&ems_plugin_finish) finish = nullptr;
    decltype(&ems_free) release = nullptr;

private:
    template <typename Function> Function Entry(const char* name) const {
        return reinterpret_cast<Function>(
            reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)));
    }

    UniqueModule module_;
};
