// The seven calls through which the host drives the plug-in. Each answers a
// failure, never an exception, whatever goes wrong beneath it.
#include "plugin/ems_records.h"

#include "host/host_start_state.h"
#include "base/guarded_call.h"
#include "base/message_box.h"
#include "base/stowlark_app.h"
#include "plugin/version_info.h"
#include "res/resource_ids.h"
#include "ui/run_archive_dialog.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Indexed by menu entry id; id 0 has no entry.
const char* const kSpecialMenuEntries[] = {nullptr, "Archive Messages..."};
const int32_t kLastMenuEntryId = 1;

// The host frees what it is given through ems_free, so everything handed
// over comes from the C heap of this module.
char* HostTextCopy(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy) {
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return copy;
}

// The plug-in's own icon for a negative index, the menu entry's otherwise.
void PutIconCell(int index, HICON** field) {
    if (!field) {
        return;
    }
    HICON* cell = static_cast<HICON*>(std::malloc(sizeof(HICON)));
    *field = cell;
    if (cell) {
        const int icon = index < 0 ? IDI_PLUGIN : IDI_MENU_ENTRY;
        *cell = ::LoadIconA(App().Instance(), MAKEINTRESOURCEA(icon));
    }
}

bool IsKnownMenuEntry(int32_t id) {
    return id > 0 && id <= kLastMenuEntryId;
}

// Ends the running command however the hook returns.
class CommandScope {
public:
    CommandScope() = default;
    ~CommandScope() { App().EndCommand(); }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;
};

} // namespace

extern "C" long WINAPI ems_plugin_version(short* apiVersion) {
    return CallGuarded(kEmsCannotRun, [&] {
        EntryPointScope scope;
        if (apiVersion) {
            *apiVersion = kEmsInterfaceVersion;
        }
        return kEmsSuccess;
    });
}

extern "C" long WINAPI ems_plugin_init(void* /*globals*/, short apiVersion,
                                       EmsMailConfig* mailConfig, EmsPluginInfo* pluginInfo) {
    return CallGuarded(kEmsCannotRun, [&] {
        EntryPointScope scope;
        if (!pluginInfo) {
            return kEmsSuccess;
        }
        pluginInfo->translatorCount = 0;
        pluginInfo->attachmentHookCount = 0;
        pluginInfo->specialMenuCount = kLastMenuEntryId;
        pluginInfo->pluginId = kPluginId;

        PluginContext& context = App().Context();
        const char* configDir = mailConfig && mailConfig->configDir ? mailConfig->configDir : "";
        ApplyHostConfiguration(context, configDir);
        context.hostApiVersion = apiVersion;
        ReadProductInformation(context);

        pluginInfo->description = HostTextCopy(context.productName);
        PutIconCell(-1, &pluginInfo->icon);
        return kEmsSuccess;
    });
}

extern "C" long WINAPI ems_special_info(void* /*globals*/, EmsMenu* menu) {
    return CallGuarded(kEmsCannotRun, [&] {
        EntryPointScope scope;
        if (!menu || !IsKnownMenuEntry(menu->id)) {
            return kEmsBadMenuEntry;
        }
        menu->text = HostTextCopy(kSpecialMenuEntries[menu->id]);
        if (App().Context().hostApiVersion > 3) {
            menu->flags = kMenuEntryFlags;
            PutIconCell(menu->id - 1, &menu->icon);
        }
        return kEmsSuccess;
    });
}

extern "C" long WINAPI ems_special_hook(void* /*globals*/, EmsMenu* menu) {
    return CallGuarded(kEmsCannotRun, [&] {
        EntryPointScope scope;
        if (!menu) {
            return kEmsNullRecord;
        }
        if (menu->id != 1) {
            return kEmsSuccess;
        }
        // The window the user picked the command in, taken before the wait
        // for the host lets anything else become active: the dialog belongs
        // to it, as the platform's own modal dialogs would.
        const HWND owner = ::GetActiveWindow();
        const PluginContext& context = App().Context();
        if (context.hostApiVersion <= 3) {
            ShowMessageBox(nullptr, "This plugin requires Eudora Automation.", context.productName,
                           MB_OK);
            return kEmsCannotRun;
        }
        if (!App().TryBeginCommand()) {
            return kEmsSuccess;
        }
        const CommandScope command;
        if (!ReadHostStartState(App().Context())) {
            return kEmsCannotRun;
        }
        RunArchiveDialog(owner);
        return kEmsSuccess;
    });
}

extern "C" long WINAPI ems_plugin_config(void* /*globals*/, EmsMailConfig* /*mailConfig*/) {
    return CallGuarded(kEmsCannotRun, [&] {
        EntryPointScope scope;
        RunAboutDialog();
        return kEmsSuccess;
    });
}

extern "C" long WINAPI ems_plugin_finish(void* /*globals*/) {
    return CallGuarded(kEmsCannotRun, [&] {
        App().ExitInstance();
        return kEmsSuccess;
    });
}

// Nothing here can throw.
extern "C" long WINAPI ems_free(void* block) {
    std::free(block);
    return kEmsSuccess;
}
