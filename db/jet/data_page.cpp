#include "db/jet/data_page.h"

#include <cstring>

namespace {
constexpr uint16_t kDeletedFlag = 0x8000;
constexpr uint16_t kMovedFlag = 0x4000;
constexpr uint16_t kOffsetMask = 0x1FFF;
} // namespace

DataPage::DataPage(ByteSpan page, const JetFormat& format) : page_(page), format_(format) {
    if (page_.U8(0) != jet_page::kData) {
        throw JetError("a data page was expected there");
    }
    rowCount_ = page_.U16(format_.rowCountAt);
    if (!page_.Has(format_.rowOffsetsAt, rowCount_ * 2)) {
        throw JetError("the page's row count does not fit the page");
    }
}

bool DataPage::IsLongValuePage() const {
    return std::memcmp(page_.data() + 4, "LVAL", 4) == 0;
}

size_t DataPage::OffsetAt(size_t row) const {
    return page_.U16(format_.rowOffsetsAt + row * 2);
}

RowSlot DataPage::Slot(size_t row) const {
    if (row >= rowCount_) {
        throw JetError("a reference to row " + std::to_string(row) + ", which the page lacks");
    }
    uint16_t raw = static_cast<uint16_t>(OffsetAt(row));
    RowSlot slot{};
    slot.start = raw & kOffsetMask;
    // Rows fill the page from its end: each ends where the one before it begins.
    slot.end = row == 0 ? page_.size() : (OffsetAt(row - 1) & kOffsetMask);
    slot.deleted = (raw & kDeletedFlag) != 0;
    slot.moved = (raw & kMovedFlag) != 0;
    size_t directoryEnd = format_.rowOffsetsAt + rowCount_ * 2;
    if (slot.start < directoryEnd || slot.end > page_.size() || slot.start > slot.end) {
        if (slot.deleted) {
            slot.start = slot.end = directoryEnd;
            return slot;
        }
        throw JetError("row " + std::to_string(row) + " lies outside its page");
    }
    return slot;
}
