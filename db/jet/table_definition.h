// A table's definition as its definition pages hold it: the columns and
// where their values sit in a row, the row count and the usage map.
#pragma once

#include "db/jet/page_reader.h"

#include <cstdint>
#include <string>
#include <vector>

struct JetColumn {
    std::wstring name;
    uint8_t type = 0;
    // The column's bit in a row's null mask.
    uint16_t number = 0;
    // The column's entry in a row's table of variable-length offsets.
    uint16_t varIndex = 0;
    // Where a fixed-length value sits after the row's column count.
    uint16_t fixedOffset = 0;
    uint16_t length = 0;
    bool fixed = false;
};

struct TableDefinition {
    uint32_t page = 0;
    uint32_t rowCount = 0;
    uint16_t varColumnCount = 0;
    uint32_t usageMap = 0;
    // In column-number order, the order Access shows them in.
    std::vector<JetColumn> columns;
};

// Reads the definition starting at `page`, following its continuation pages.
// Throws JetError naming the page at fault.
TableDefinition ReadTableDefinition(PageReader& pages, uint32_t page);
