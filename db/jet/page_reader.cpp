#include "db/jet/page_reader.h"

ByteSpan PageReader::Load(uint32_t page) {
    if (page == 0 || page >= header_.pageCount) {
        throw JetError("a reference to " + PageText(page) + ", which is not in the file");
    }
    if (page != loaded_) {
        loaded_ = 0;
        file_.Read(static_cast<uint64_t>(page) * buffer_.size(), buffer_.data(), buffer_.size());
        loaded_ = page;
    }
    return ByteSpan(buffer_.data(), buffer_.size());
}

std::string PageText(uint32_t page) {
    return "page " + std::to_string(page);
}
