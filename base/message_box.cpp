#include "base/message_box.h"

#include "base/stowlark_app.h"

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    const MessageBoxSink& sink = App().messageBoxSink();
    if (sink) {
        return sink(owner, text, caption, type);
    }
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

int ShowStandardErrorBox(const std::string& text) {
    return ShowMessageBox(nullptr, text, CStowlarkApp::kAppName, MB_OK | MB_ICONEXCLAMATION);
}
