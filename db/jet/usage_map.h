// The pages a table owns, from its usage map: a bitmap kept in the map's row
// itself, or (for larger files) a list of map pages that hold the bitmaps.
#pragma once

#include "db/jet/page_reader.h"

#include <cstdint>
#include <vector>

// In ascending order. Throws JetError naming the page at fault.
std::vector<uint32_t> ReadUsageMap(PageReader& pages, uint32_t mapPointer);
