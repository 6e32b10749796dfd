#pragma once

#include "base/win32.h"

#include <string>

// Writes what the screen shows of `window` as a 24-bit BMP file, so that a
// run without anyone watching still leaves a picture of the host behind.
bool SaveWindowSnapshot(HWND window, const std::string& path);
