// The row directory of a data page (table rows and long values alike): where
// each row begins and ends, and whether it was deleted or moved elsewhere.
#pragma once

#include "db/jet/byte_span.h"
#include "db/jet/jet_format.h"

#include <cstdint>

namespace jet_page {
constexpr uint8_t kData = 0x01;
constexpr uint8_t kTableDefinition = 0x02;
constexpr uint8_t kUsageMap = 0x05;
} // namespace jet_page

struct RowSlot {
    size_t start;
    size_t end;
    bool deleted;
    // The row holds only a pointer to where it now lives.
    bool moved;
};

// A row pointer: the row number in its low byte, the page above it.
struct RowPointer {
    uint32_t page;
    uint8_t row;
    static RowPointer From(uint32_t value) {
        return RowPointer{value >> 8, static_cast<uint8_t>(value & 0xFF)};
    }
};

class DataPage {
public:
    // Throws JetError when the page is not a data page.
    DataPage(ByteSpan page, const JetFormat& format);

    uint32_t owner() const { return page_.U32(4); }
    bool IsLongValuePage() const;
    size_t RowCount() const { return rowCount_; }
    // Throws JetError when the row's bounds do not fit the page.
    RowSlot Slot(size_t row) const;
    ByteSpan Bytes(const RowSlot& slot) const {
        return page_.Sub(slot.start, slot.end - slot.start);
    }

private:
    size_t OffsetAt(size_t row) const;

    ByteSpan page_;
    const JetFormat& format_;
    size_t rowCount_;
};
