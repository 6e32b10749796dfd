#include "ui/sort_keys.h"

#include "base/win32.h"
#include "ui/utf8_text.h"

#include <algorithm>

void SortKeys::Add(size_t row, std::string_view utf8) {
    WidenInto(utf8, wide_);
    const int length = static_cast<int>(wide_.size());
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    // Most keys fit the room already there, which saves asking for the
    // size first.
    size_t room = std::max<size_t>(64, wide_.size() * 4 + 16);
    int size = 0;
    for (int attempt = 0; attempt < 2 && size <= 0; ++attempt) {
        std::string& block = BlockWithRoom(room);
        const size_t at = block.size();
        block.resize(at + room);
        // A sort key is bytes, whatever the call's character width.
        size = ::LCMapStringW(LOCALE_USER_DEFAULT, flags, wide_.data(), length,
                              reinterpret_cast<LPWSTR>(&block[at]), static_cast<int>(room));
        size_t end = at + static_cast<size_t>(std::max(size, 0));
        // The key ends with a zero byte; the compare must not see it.
        while (end > at && block[end - 1] == '\0') {
            --end;
        }
        block.resize(end);
        where_[row] = {static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(at),
                       static_cast<uint32_t>(end - at)};
        if (size <= 0) {
            const int needed =
                ::LCMapStringW(LOCALE_USER_DEFAULT, flags, wide_.data(), length, nullptr, 0);
            if (needed <= 0) {
                return;
            }
            room = static_cast<size_t>(needed);
        }
    }
}

std::string& SortKeys::BlockWithRoom(size_t room) {
    if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < room) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockBytes, room));
    }
    return blocks_.back();
}

std::string_view SortKeys::Key(int row) const {
    const Place& place = where_[static_cast<size_t>(row)];
    if (place.length == 0) {
        return std::string_view();
    }
    return std::string_view(blocks_[place.block]).substr(place.at, place.length);
}
