#include "db/jet/usage_map.h"

#include "db/jet/data_page.h"

#include <algorithm>

namespace {

constexpr uint8_t kInlineMap = 0x00;
constexpr uint8_t kPageListMap = 0x01;
constexpr size_t kMapPageHeader = 4;

void AddBits(ByteSpan bitmap, uint64_t firstPage, uint32_t pageCount,
             std::vector<uint32_t>& owned) {
    for (size_t i = 0; i < bitmap.size(); ++i) {
        uint8_t byte = bitmap.U8(i);
        for (int bit = 0; byte != 0 && bit < 8; ++bit) {
            if (byte & (1u << bit)) {
                uint64_t page = firstPage + i * 8 + static_cast<uint64_t>(bit);
                if (page >= pageCount) {
                    throw JetError("the usage map names page " + std::to_string(page) +
                                   ", past the end of the file");
                }
                owned.push_back(static_cast<uint32_t>(page));
            }
        }
    }
}

} // namespace

std::vector<uint32_t> ReadUsageMap(PageReader& pages, uint32_t mapPointer) {
    RowPointer where = RowPointer::From(mapPointer);
    std::string context = "the usage map on " + PageText(where.page);
    try {
        // The map's row is copied: with a page list, the same reader loads
        // the map pages.
        ByteSpan page = pages.Load(where.page);
        DataPage dataPage(page, pages.format());
        RowSlot slot = dataPage.Slot(where.row);
        ByteSpan rowBytes = dataPage.Bytes(slot);
        std::vector<uint8_t> row(rowBytes.data(), rowBytes.data() + rowBytes.size());
        ByteSpan map(row.data(), row.size());
        uint32_t pageCount = pages.header().pageCount;
        std::vector<uint32_t> owned;
        uint8_t type = map.U8(0);
        if (type == kInlineMap) {
            AddBits(map.From(5), map.U32(1), pageCount, owned);
        } else if (type == kPageListMap) {
            uint64_t pagesPerMapPage = (pages.format().pageSize - kMapPageHeader) * 8ull;
            for (size_t i = 0; (1 + (i + 1) * 4) <= map.size(); ++i) {
                uint32_t mapPage = map.U32(1 + i * 4);
                if (mapPage == 0) {
                    continue;
                }
                context = "the usage map on " + PageText(mapPage);
                ByteSpan bits = pages.Load(mapPage);
                if (bits.U8(0) != jet_page::kUsageMap) {
                    throw JetError("it is not a usage map page");
                }
                AddBits(bits.From(kMapPageHeader), i * pagesPerMapPage, pageCount, owned);
            }
        } else {
            throw JetError("its kind is unknown");
        }
        std::sort(owned.begin(), owned.end());
        owned.erase(std::unique(owned.begin(), owned.end()), owned.end());
        return owned;
    } catch (const JetError& error) {
        throw JetError(context + " is damaged (" + error.what() + ")");
    }
}
