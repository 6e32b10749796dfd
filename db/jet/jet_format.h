// Where things are in the two generations of the format this reader knows:
// Jet 3 (Access 97, pages of 2 KB) and Jet 4 (Access 2000-2003, pages of 4 KB).
#pragma once

#include <cstddef>
#include <cstdint>

struct JetFormat {
    bool jet4;
    uint32_t pageSize;
    // Data pages: row count and first row offset.
    size_t rowCountAt;
    size_t rowOffsetsAt;
    // Table definition block.
    size_t rowTotalAt;
    size_t columnCountAt;
    size_t varColumnCountAt;
    size_t realIndexCountAt;
    size_t usageMapAt;
    size_t indexEntriesAt;
    size_t indexEntrySize;
    // One column entry of the table definition.
    size_t columnEntrySize;
    size_t columnNumberAt;
    size_t columnVarIndexAt;
    size_t columnFlagsAt;
    size_t columnMiscFlagsAt; // Jet 4 only
    size_t columnFixedOffsetAt;
    size_t columnLengthAt;
    // Rows: width of the column count, the var offsets and the var count.
    size_t rowFieldSize;

    static const JetFormat& Jet3();
    static const JetFormat& Jet4();
};
