#pragma once

#include "base/win32.h"

#include <string>

// What the whole plug-in knows about where it lives and whom it serves.
// Written at load, by ems_plugin_init and by ems_special_hook; read elsewhere.
struct PluginContext {
    short hostApiVersion = 0;
    std::string modulePath;
    std::string settingsPath;
    std::string logPath;
    std::string helpPath;
    std::string hostConfigDir;
    std::string hostDataDir;
    std::string inMailboxPath;
    std::string databasePath;
    std::string productName;
    std::string versionText;
    std::string legalNotice;
    HCURSOR splitterCursor = nullptr;
    HWND mainDialogWindow = nullptr;
    UINT archiveClosedMessage = 0;
    // The column and direction the archive viewers sort by: one for all of
    // them, reset from the settings by each viewer that opens.
    int viewerSortKey = 0;
    int viewerSortOrder = 0;
    // A viewer is restoring its selection: no other task may start until
    // it ends.
    bool viewerTaskRunning = false;
};

// The settings, log and help files sit beside the plug-in's own file.
void SetPathsBesideModule(PluginContext& context, const std::string& modulePath);

// What ems_plugin_init learns from the host's configuration directory.
// The data directory is the configuration directory less its last eight
// characters: the host keeps plug-ins in "<data>\Plugins".
void ApplyHostConfiguration(PluginContext& context, const std::string& configDir);
