#include "db/jet/jet_format.h"

const JetFormat& JetFormat::Jet3() {
    static const JetFormat format{false, 2048, 8, 10, 12, 25, 23, 31, 35, 43,
                                  8,     18,   1, 3,  13, 0,  14, 16, 1};
    return format;
}

const JetFormat& JetFormat::Jet4() {
    static const JetFormat format{true, 4096, 12, 14, 16, 45, 43, 51, 55, 63,
                                  12,   25,   5,  7,  15, 16, 21, 23, 2};
    return format;
}
