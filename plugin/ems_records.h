// The records the host passes through its plug-in interface. Only the fields
// at the offsets below are read or written; the host owns the rest.
#pragma once

#include "base/win32.h"

#include <cstddef>
#include <cstdint>

struct EmsPluginInfo {
    int32_t size;
    int32_t translatorCount;
    int32_t attachmentHookCount;
    int32_t specialMenuCount;
    char* description;
    int32_t pluginId;
    HICON* icon;
};

struct EmsMailConfig {
    int32_t size;
    HWND* mainWindow;
    char* configDir;
};

struct EmsMenu {
    int32_t size;
    int32_t id;
    char* text;
    HICON* icon;
    int32_t flags;
};

static_assert(offsetof(EmsPluginInfo, translatorCount) == 4, "host record layout");
static_assert(offsetof(EmsPluginInfo, attachmentHookCount) == 8, "host record layout");
static_assert(offsetof(EmsPluginInfo, specialMenuCount) == 12, "host record layout");
static_assert(offsetof(EmsPluginInfo, description) == 16, "host record layout");
static_assert(offsetof(EmsPluginInfo, pluginId) == 20, "host record layout");
static_assert(offsetof(EmsPluginInfo, icon) == 24, "host record layout");
static_assert(offsetof(EmsMailConfig, configDir) == 8, "host record layout");
static_assert(offsetof(EmsMenu, id) == 4, "host record layout");
static_assert(offsetof(EmsMenu, text) == 8, "host record layout");
static_assert(offsetof(EmsMenu, icon) == 12, "host record layout");
static_assert(offsetof(EmsMenu, flags) == 16, "host record layout");

// The interface version the plug-in is written against.
const short kEmsInterfaceVersion = 4;
const int32_t kPluginId = 4407;
const int32_t kMenuEntryFlags = 0x8000;

// Results the host understands.
const long kEmsSuccess = 0;
const long kEmsNullRecord = 1;
const long kEmsBadMenuEntry = 3;
const long kEmsCannotRun = 11;

extern "C" {
long WINAPI ems_plugin_version(short* apiVersion);
long WINAPI ems_plugin_init(void* globals, short apiVersion, EmsMailConfig* mailConfig,
                            EmsPluginInfo* pluginInfo);
long WINAPI ems_special_info(void* globals, EmsMenu* menu);
long WINAPI ems_special_hook(void* globals, EmsMenu* menu);
long WINAPI ems_plugin_config(void* globals, EmsMailConfig* mailConfig);
long WINAPI ems_plugin_finish(void* globals);
long WINAPI ems_free(void* block);
}
