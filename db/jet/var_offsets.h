// Where each variable-length value of a row begins, from the offset table at
// the row's end. Jet 3 keeps one byte per offset and adds a table of the
// columns at which the offsets pass each 256-byte boundary.
#pragma once

#include "db/jet/byte_span.h"
#include "db/jet/jet_format.h"

#include <vector>

// `tail` is the row's length without its null mask. Returns one offset more
// than there are variable columns in the row: the last is where they end.
std::vector<size_t> ReadVarOffsets(ByteSpan row, size_t tail, const JetFormat& format);
