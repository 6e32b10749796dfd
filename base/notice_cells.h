// The cells that carry a window handle in a posted notice between the
// plug-in's windows ("uiArchiveClosed"). The message is registered by name,
// so any program may post it; only a cell this module handed out is read.
#pragma once

#include "base/win32.h"

#include <memory>
#include <optional>
#include <vector>

class NoticeCells {
public:
    // A new cell holding `window`, kept until it is taken back.
    HWND* Make(HWND window);
    // The handle in the cell at `address` and the cell freed; nullopt for an
    // address this module did not hand out (or has taken back already).
    std::optional<HWND> Take(LPARAM address);

private:
    std::vector<std::unique_ptr<HWND>> cells_;
};
