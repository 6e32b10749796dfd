// Where the nine archive columns are in a Jet archive table. A table with a
// column the archive does not have is refused: converting it would drop data.
#pragma once

#include "db/jet/jet_database.h"

#include <array>

constexpr size_t kArchiveColumnCount = 9;

struct JetArchiveColumns {
    // The Jet column of each archive column, in the archive's order.
    std::array<size_t, kArchiveColumnCount> index;
    // Whether the archive column holds numbers (id, S, Size).
    static bool IsNumber(size_t column);
};

// Throws JetError naming the column that is missing or unknown.
JetArchiveColumns FindArchiveColumns(const JetTable& table);
// The archive's column names, in order.
const char* ArchiveColumnName(size_t column);
