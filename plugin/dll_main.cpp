#include "plugin/stowlark_app.h"

// Runs under the loader lock: nothing here may load libraries, start COM or
// touch user32. Those steps wait for the first entry-point call.
BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        App().InitInstance();
    }
    return TRUE;
}
