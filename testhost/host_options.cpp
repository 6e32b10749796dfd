#include "testhost/host_options.h"

#include <cstdlib>
#include <stdexcept>

const char kHostUsage[] =
    "usage: testhost --data DIR [--plugin PATH] [options]\n"
    "       testhost --make-sample DIR\n"
    "\n"
    "  --data DIR          the mail folder (mailboxes DIR\\*.mbx, folders DIR\\*.fol);\n"
    "                      plug-ins get DIR\\Plugins as their configuration directory\n"
    "  --plugin PATH       an EMS plug-in library to load\n"
    "  --interface N       the EMS interface version the host claims (default 7)\n"
    "  --skip NAME         report the mailbox or folder NAME as one to skip (repeatable)\n"
    "  --not-ready-ms N    report no mailboxes for the first N milliseconds\n"
    "  --fail OP[:N]       make automation operation OP fail (its N-th call only)\n"
    "  --run-special N     pick Special-menu entry N once the host is up (repeatable)\n"
    "  --run-config        run the plug-in's configuration call after the entries\n"
    "  --dismiss-after MS  close the plug-in's windows once they have been up MS ms\n"
    "  --window-pictures DIR  save a picture (BMP) of each plug-in window there\n"
    "  --script FILE       play the steps of FILE in the plug-in's windows; their\n"
    "                      pictures go to the --window-pictures folder (or DIR)\n"
    "  --exit              close the host after the picked entries have run\n"
    "  --snapshot FILE     save a picture of the host window (BMP) before closing\n"
    "  --make-sample DIR   write a small sample mail folder into DIR and stop\n";

namespace {

long NumberArgument(const std::string& option, const std::string& text, long least) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < least) {
        throw std::invalid_argument(option + " needs a number, not \"" + text + "\"");
    }
    return value;
}

} // namespace

HostOptions ParseHostOptions(const std::vector<std::string>& arguments) {
    HostOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help" || option == "-h" || option == "/?") {
            options.showHelp = true;
            continue;
        }
        if (option == "--run-config") {
            options.runConfig = true;
            continue;
        }
        if (option == "--exit") {
            options.exitWhenDone = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            throw std::invalid_argument("unknown option or missing value: " + option);
        }
        const std::string& value = arguments[++i];
        if (option == "--data") {
            options.settings.dataDir = value;
        } else if (option == "--plugin") {
            options.pluginPath = value;
        } else if (option == "--interface") {
            options.interfaceVersion = static_cast<short>(NumberArgument(option, value, 1));
        } else if (option == "--skip") {
            options.settings.skipNames.push_back(value);
        } else if (option == "--not-ready-ms") {
            options.settings.notReadyMilliseconds =
                static_cast<DWORD>(NumberArgument(option, value, 0));
        } else if (option == "--fail") {
            options.settings.faults.push_back(value);
        } else if (option == "--run-special") {
            options.runSpecial.push_back(static_cast<int>(NumberArgument(option, value, 1)));
        } else if (option == "--dismiss-after") {
            options.dismissAfterMilliseconds =
                static_cast<unsigned>(NumberArgument(option, value, 1));
        } else if (option == "--window-pictures") {
            options.windowPictureDir = value;
        } else if (option == "--script") {
            options.scriptPath = value;
        } else if (option == "--snapshot") {
            options.snapshotPath = value;
        } else if (option == "--make-sample") {
            options.makeSampleDir = value;
        } else {
            throw std::invalid_argument("unknown option: " + option);
        }
    }
    if (!options.showHelp && options.makeSampleDir.empty() && options.settings.dataDir.empty()) {
        throw std::invalid_argument("--data DIR is required");
    }
    return options;
}
