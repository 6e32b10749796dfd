#include "db/jet/long_value.h"

#include "db/jet/data_page.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {
constexpr size_t kReferenceSize = 12;
constexpr uint32_t kInline = 0x80000000u;
constexpr uint32_t kSingleRow = 0x40000000u;
constexpr uint32_t kLengthMask = 0x3FFFFFFFu;
} // namespace

ByteSpan LongValueReader::RowAt(uint32_t pointer, uint32_t& page) {
    RowPointer where = RowPointer::From(pointer);
    page = where.page;
    DataPage dataPage(pages_.Load(where.page), pages_.format());
    if (!dataPage.IsLongValuePage()) {
        throw JetError("it is not a long-value page");
    }
    RowSlot slot = dataPage.Slot(where.row);
    if (slot.deleted) {
        throw JetError("the value's row was deleted");
    }
    return dataPage.Bytes(slot);
}

std::string LongValueReader::Read(ByteSpan reference) {
    if (reference.size() < kReferenceSize) {
        throw JetError("a memo reference is too short");
    }
    uint32_t head = reference.U32(0);
    size_t length = head & kLengthMask;
    uint32_t pointer = reference.U32(4);
    if (head & kInline) {
        ByteSpan bytes = reference.Sub(kReferenceSize, length);
        return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    // A value cannot be longer than the file that holds it; and room grows
    // with the bytes found, not with what a damaged length claims.
    if (length > pages_.header().pageCount * static_cast<uint64_t>(pages_.format().pageSize)) {
        throw JetError("a memo claims to be longer than the file");
    }
    std::string value;
    value.reserve(std::min<size_t>(length, size_t(1) << 20));
    uint32_t page = RowPointer::From(pointer).page;
    try {
        if (head & kSingleRow) {
            ByteSpan row = RowAt(pointer, page);
            ByteSpan bytes = row.Sub(0, length);
            value.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            return value;
        }
        std::set<uint32_t> seen;
        while (value.size() < length) {
            if (pointer == 0) {
                throw JetError("the chain ends before the value does");
            }
            if (!seen.insert(pointer).second) {
                throw JetError("the chain loops");
            }
            ByteSpan row = RowAt(pointer, page);
            uint32_t next = row.U32(0);
            ByteSpan part = row.From(4);
            size_t take = std::min(part.size(), length - value.size());
            value.append(reinterpret_cast<const char*>(part.data()), take);
            pointer = next;
        }
        return value;
    } catch (const JetError& error) {
        throw JetError("the long value on " + PageText(page) + " is damaged (" + error.what() +
                       ")");
    }
}
