// Pages of the Jet file, one at a time. Each part of the reader that walks
// pages keeps its own PageReader, so a page it holds stays valid while
// another part loads a different one.
#pragma once

#include "db/jet/jet_header.h"

#include <cstdint>
#include <string>
#include <vector>

class PageReader {
public:
    PageReader(const JetFile& file, const JetHeader& header)
        : file_(file), header_(header), buffer_(header.format->pageSize) {}

    // The page's bytes, valid until the next Load on this reader. Throws
    // JetError for a page number outside the file.
    ByteSpan Load(uint32_t page);
    const JetHeader& header() const { return header_; }
    const JetFormat& format() const { return *header_.format; }

private:
    const JetFile& file_;
    const JetHeader& header_;
    std::vector<uint8_t> buffer_;
    uint32_t loaded_ = 0; // page 0 is never asked for through here
};

// "page N" for the texts that say where a fault is.
std::string PageText(uint32_t page);
