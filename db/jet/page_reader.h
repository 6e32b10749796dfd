// Pages of the Jet file. Each part of the reader that walks pages keeps its
// own PageReader, so a page it holds stays valid while another part loads a
// different one. Rows and long values mostly follow one another through the
// file, so a run of pages is read at once: one read of the file costs far
// more than the bytes it brings.
#pragma once

#include "db/jet/jet_header.h"

#include <cstdint>
#include <string>
#include <vector>

class PageReader {
public:
    PageReader(const JetFile& file, const JetHeader& header)
        : file_(file), header_(header),
          buffer_(static_cast<size_t>(header.format->pageSize) * kPagesPerRead) {}

    // The page's bytes, valid until the next Load on this reader. Throws
    // JetError for a page number outside the file.
    ByteSpan Load(uint32_t page);
    const JetHeader& header() const { return header_; }
    const JetFormat& format() const { return *header_.format; }

private:
    static constexpr uint32_t kPagesPerRead = 16;

    const JetFile& file_;
    const JetHeader& header_;
    std::vector<uint8_t> buffer_;
    // The run of pages in the buffer; page 0 is never asked for through here.
    uint32_t first_ = 0;
    uint32_t count_ = 0;
};

// "page N" for the texts that say where a fault is.
std::string PageText(uint32_t page);
