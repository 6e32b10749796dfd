#include "base/window_utils.h"

#include "base/stowlark_app.h"
#include "base/unique_resource.h"

namespace {

const int kDelayCapMilliseconds = 10000;

HWND FindChildWithCaption(HWND parent, const std::string& caption) {
    // FindWindowEx matches captions without regard to case, and GetWindowText
    // would wait on a window of a busy thread; compare the stored caption
    // exactly instead.
    wchar_t wide[512];
    char text[1024];
    for (HWND child = ::FindWindowExA(parent, nullptr, nullptr, caption.c_str()); child;
         child = ::FindWindowExA(parent, child, nullptr, caption.c_str())) {
        int length = ::InternalGetWindowText(child, wide, 512);
        int bytes = length > 0 ? ::WideCharToMultiByte(CP_ACP, 0, wide, length, text, sizeof text,
                                                       nullptr, nullptr)
                               : 0;
        if (caption == std::string(text, bytes)) {
            return child;
        }
    }
    return nullptr;
}

} // namespace

int DelayCapped(int milliseconds, int capMilliseconds) {
    DelayTally& tally = App().Delays();
    const int asked = milliseconds < capMilliseconds ? milliseconds : capMilliseconds;
    ++tally.calls;
    tally.requestedMilliseconds += asked;
    if (const DelaySink& sink = App().delaySink()) {
        return sink(asked);
    }
    // One timer for every pause: making and closing one each time costs
    // more than a short pause asks for.
    const HANDLE timer = App().DelayTimer();
    if (!timer) {
        return -1;
    }
    LARGE_INTEGER due;
    due.QuadPart = -10000LL * milliseconds;
    if (!::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        return -1;
    }
    return static_cast<int>(::WaitForSingleObject(timer, static_cast<DWORD>(capMilliseconds)));
}

int Delay(int milliseconds) {
    return DelayCapped(milliseconds, kDelayCapMilliseconds);
}

bool CloseHostMailboxWindow(const std::string& caption) {
    HWND mainWindow = ::FindWindowA("EudoraMainWindow", nullptr);
    if (!mainWindow) {
        return false;
    }
    HWND mdiClient = ::FindWindowExA(mainWindow, nullptr, "MDIClient", nullptr);
    if (!mdiClient) {
        return false;
    }
    HWND mailbox = FindChildWithCaption(mdiClient, caption);
    if (!mailbox) {
        return false;
    }
    return ::SendNotifyMessageA(mailbox, WM_CLOSE, 0, 0) != FALSE;
}

int LoadTextResource(int number, const char* type, std::string& text) {
    HMODULE module = App().Instance();
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(number), type);
    if (!found) {
        return 0;
    }
    DWORD size = ::SizeofResource(module, found);
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (bytes) {
        text.assign(static_cast<const char*>(bytes), size);
    }
    return static_cast<int>(size);
}
