// Memo and OLE values: a 12-byte reference in the row, with the bytes kept
// after it, in one row of a long-value page, or in a chain of such rows.
#pragma once

#include "db/jet/page_reader.h"

#include <string>

class LongValueReader {
public:
    LongValueReader(const JetFile& file, const JetHeader& header) : pages_(file, header) {}

    // `reference` is the column's bytes in the row. Throws JetError naming
    // the long-value page at fault.
    std::string Read(ByteSpan reference);

private:
    ByteSpan RowAt(uint32_t pointer, uint32_t& page);

    PageReader pages_;
};
