// Every message box the user sees goes through here, so that a test can
// take the text and caption instead of waiting for a click.
#pragma once

#include "base/win32.h"

#include <functional>
#include <string>

using MessageBoxSink =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// The error box of the module object itself: its application name as caption.
int ShowStandardErrorBox(const std::string& text);
