#include "base/stowlark_app.h"

// Runs under the loader lock: nothing here may load libraries, start COM or
// touch user32. Those steps wait for the first entry-point call.
BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        // No box may show under the loader lock: a failed start-up only
        // refuses the load.
        try {
            App().InitInstance();
        } catch (...) {
            return FALSE;
        }
    }
    return TRUE;
}
