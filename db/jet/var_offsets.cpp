#include "db/jet/var_offsets.h"

namespace {

std::vector<size_t> Jet4Offsets(ByteSpan row, size_t tail) {
    if (tail < 2) {
        throw JetError("the row is too short for its offsets");
    }
    size_t count = row.U16(tail - 2);
    if ((count + 1) * 2 + 2 > tail) {
        throw JetError("the row's offset table does not fit the row");
    }
    std::vector<size_t> offsets(count + 1);
    for (size_t i = 0; i <= count; ++i) {
        offsets[i] = row.U16(tail - 4 - i * 2);
    }
    return offsets;
}

std::vector<size_t> Jet3Offsets(ByteSpan row, size_t tail) {
    if (tail < 1) {
        throw JetError("the row is too short for its offsets");
    }
    size_t count = row.U8(tail - 1);
    // The jump table's length follows from the row's length; its last entry
    // may be a spare one that no offset needs, which shows in where the
    // offset table then begins.
    size_t jumps = (row.size() - 1) / 256;
    auto lowestEntry = [&](size_t jumpCount) -> size_t {
        size_t used = 1 + jumpCount + count + 1;
        if (used > tail) {
            throw JetError("the row's offset table does not fit the row");
        }
        return tail - used;
    };
    if (jumps > 0 && lowestEntry(jumps) / 256 < jumps) {
        --jumps;
    }
    size_t firstEntry = tail - 2 - jumps;
    lowestEntry(jumps);
    std::vector<size_t> offsets(count + 1);
    size_t passed = 0;
    for (size_t i = 0; i <= count; ++i) {
        while (passed < jumps && row.U8(tail - 2 - passed) <= i) {
            ++passed;
        }
        offsets[i] = row.U8(firstEntry - i) + passed * 256;
    }
    return offsets;
}

} // namespace

std::vector<size_t> ReadVarOffsets(ByteSpan row, size_t tail, const JetFormat& format) {
    return format.jet4 ? Jet4Offsets(row, tail) : Jet3Offsets(row, tail);
}
