#include "testhost/ems_host.h"

#include <cstdio>

namespace {

// More Special-menu entries than any plug-in would offer means garbage.
const int32_t kMostMenuEntries = 64;

std::string Number(long value) {
    return std::to_string(value);
}

std::string Hex(unsigned long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%lx", value);
    return buffer;
}

} // namespace

EmsHost::EmsHost(const std::string& pluginPath, const std::string& configDir,
                 short interfaceVersion)
    : library_(std::make_unique<PluginLibrary>(pluginPath)), pluginPath_(pluginPath),
      configDir_(configDir) {
    if (!library_->loaded()) {
        Problem("cannot load " + pluginPath + " (error " + Number(::GetLastError()) + ")");
        return;
    }
    if (!library_->complete()) {
        Problem(pluginPath + " does not export all seven entry points");
        return;
    }
    Note("loaded " + pluginPath);
    Start(configDir, interfaceVersion);
}

EmsHost::~EmsHost() {
    if (started_) {
        library_->finish(nullptr);
    }
}

void EmsHost::Problem(const std::string& text) {
    problems_.push_back(text);
    transcript_.push_back("problem: " + text);
}

void EmsHost::Note(const std::string& text) {
    transcript_.push_back(text);
}

// The host keeps its own copy and gives the plug-in's block back at once.
std::string EmsHost::TakeText(char* text, const char* what) {
    if (!text) {
        Problem(std::string("no ") + what);
        return std::string();
    }
    std::string copy = text;
    library_->release(text);
    return copy;
}

HICON EmsHost::TakeIcon(HICON* cell, const char* what) {
    if (!cell) {
        Problem(std::string("no ") + what + " cell");
        return nullptr;
    }
    const HICON icon = *cell;
    library_->release(cell);
    if (!icon) {
        Problem(std::string("an empty ") + what + " cell");
    }
    return icon;
}

void EmsHost::Start(const std::string& configDir, short interfaceVersion) {
    short pluginVersion = -1;
    long result = library_->version(&pluginVersion);
    Note("ems_plugin_version -> " + Number(result) + ", interface version " +
         Number(pluginVersion));
    if (result != 0 || pluginVersion < 1) {
        Problem("ems_plugin_version answered " + Number(result) + " with version " +
                Number(pluginVersion));
        return;
    }

    std::string configText = configDir;
    EmsMailConfig config = {};
    config.size = sizeof config;
    config.configDir = &configText[0];
    EmsPluginInfo info = {};
    info.size = sizeof info;
    result = library_->init(nullptr, interfaceVersion, &config, &info);
    Note("ems_plugin_init(interface " + Number(interfaceVersion) + ", " + configDir + ") -> " +
         Number(result));
    if (result != 0) {
        Problem("ems_plugin_init failed with " + Number(result));
        return;
    }
    started_ = true;
    description_ = TakeText(info.description, "plug-in description");
    icon_ = TakeIcon(info.icon, "plug-in icon");
    Note("  \"" + description_ + "\", plug-in id " + Number(info.pluginId) + ", " +
         Number(info.specialMenuCount) + " Special-menu entries");
    if (info.pluginId == 0) {
        Problem("plug-in id 0");
    }
    if (info.translatorCount != 0 || info.attachmentHookCount != 0) {
        Problem("translators or attachment hooks offered, which this host does not run");
    }
    if (info.specialMenuCount < 0 || info.specialMenuCount > kMostMenuEntries) {
        Problem("an impossible number of Special-menu entries: " + Number(info.specialMenuCount));
        return;
    }

    for (int32_t id = 1; id <= info.specialMenuCount; ++id) {
        EmsMenu menu = {};
        menu.size = sizeof menu;
        menu.id = id;
        result = library_->info(nullptr, &menu);
        SpecialMenuEntry entry;
        entry.id = id;
        entry.text = TakeText(menu.text, "menu entry text");
        entry.flags = menu.flags;
        Note("ems_special_info(" + Number(id) + ") -> " + Number(result) + ": \"" + entry.text +
             "\", flags " + Hex(static_cast<unsigned long>(menu.flags)));
        if (result != 0) {
            Problem("ems_special_info(" + Number(id) + ") failed with " + Number(result));
            if (menu.icon) {
                library_->release(menu.icon);
            }
            continue;
        }
        if (interfaceVersion > 3) {
            entry.icon = TakeIcon(menu.icon, "menu entry icon");
        } else if (menu.icon) {
            library_->release(menu.icon);
        }
        if (entry.text.empty()) {
            Problem("menu entry " + Number(id) + " has no text");
            continue;
        }
        entries_.push_back(entry);
    }
}

long EmsHost::RunSpecial(size_t index) {
    if (!started_ || index >= entries_.size()) {
        return -1;
    }
    EmsMenu menu = {};
    menu.size = sizeof menu;
    menu.id = entries_[index].id;
    const long result = library_->hook(nullptr, &menu);
    Note("ems_special_hook(" + Number(menu.id) + ") -> " + Number(result));
    return result;
}

long EmsHost::Configure() {
    if (!started_) {
        return -1;
    }
    std::string configText = configDir_;
    EmsMailConfig config = {};
    config.size = sizeof config;
    config.configDir = &configText[0];
    const long result = library_->config(nullptr, &config);
    Note("ems_plugin_config -> " + Number(result));
    return result;
}
