#include "db/jet/page_reader.h"

#include <algorithm>

ByteSpan PageReader::Load(uint32_t page) {
    if (page == 0 || page >= header_.pageCount) {
        throw JetError("a reference to " + PageText(page) + ", which is not in the file");
    }
    const size_t pageSize = header_.format->pageSize;
    if (page < first_ || page >= first_ + count_) {
        // A run is read only when the pages are being taken in order.
        const bool inOrder = count_ != 0 && page == first_ + count_;
        count_ = 0;
        uint32_t count = std::min(inOrder ? kPagesPerRead : 1u, header_.pageCount - page);
        file_.Read(static_cast<uint64_t>(page) * pageSize, buffer_.data(), count * pageSize);
        first_ = page;
        count_ = count;
    }
    return ByteSpan(buffer_.data() + (page - first_) * pageSize, pageSize);
}

std::string PageText(uint32_t page) {
    return "page " + std::to_string(page);
}
