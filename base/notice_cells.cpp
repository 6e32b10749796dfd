#include "base/notice_cells.h"

#include <algorithm>

HWND* NoticeCells::Make(HWND window) {
    cells_.push_back(std::make_unique<HWND>(window));
    return cells_.back().get();
}

std::optional<HWND> NoticeCells::Take(LPARAM address) {
    const auto found = std::find_if(cells_.begin(), cells_.end(), [&](const auto& cell) {
        return reinterpret_cast<LPARAM>(cell.get()) == address;
    });
    if (found == cells_.end()) {
        return std::nullopt;
    }
    const HWND window = **found;
    cells_.erase(found);
    return window;
}
