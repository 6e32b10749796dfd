// The host's side of the EMS plug-in interface: loads a plug-in, asks it
// what it offers, checks every answer, and runs its commands.
#pragma once

#include "testhost/plugin_library.h"

#include <memory>
#include <string>
#include <vector>

struct SpecialMenuEntry {
    int32_t id = 0;
    std::string text;
    HICON icon = nullptr;
    int32_t flags = 0;
};

class EmsHost {
public:
    // The interface version the host claims; 4 and above offer automation.
    static constexpr short kHostInterfaceVersion = 7;

    // Loads the library, then calls ems_plugin_version, ems_plugin_init with
    // `configDir`, and ems_special_info for each entry the plug-in names.
    EmsHost(const std::string& pluginPath, const std::string& configDir,
            short interfaceVersion = kHostInterfaceVersion);
    // Calls ems_plugin_finish when the plug-in was started.
    ~EmsHost();
    EmsHost(const EmsHost&) = delete;
    EmsHost& operator=(const EmsHost&) = delete;

    bool started() const { return started_; }
    const std::string& description() const { return description_; }
    HICON icon() const { return icon_; }
    const std::vector<SpecialMenuEntry>& entries() const { return entries_; }

    // Runs ems_special_hook for entries()[index]; the plug-in's result.
    long RunSpecial(size_t index);
    long Configure();

    // Anything the plug-in answered that the interface does not allow.
    const std::vector<std::string>& problems() const { return problems_; }
    // One line per call: what was asked and what came back.
    const std::vector<std::string>& transcript() const { return transcript_; }

private:
    void Start(const std::string& configDir, short interfaceVersion);
    std::string TakeText(char* text, const char* what);
    HICON TakeIcon(HICON* cell, const char* what);
    void Problem(const std::string& text);
    void Note(const std::string& text);

    std::unique_ptr<PluginLibrary> library_;
    std::string pluginPath_;
    std::string configDir_;
    bool started_ = false;
    std::string description_;
    HICON icon_ = nullptr;
    std::vector<SpecialMenuEntry> entries_;
    std::vector<std::string> problems_;
    std::vector<std::string> transcript_;
};
