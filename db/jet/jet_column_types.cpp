#include "db/jet/jet_column_types.h"

bool JetTypeIsRead(uint8_t type) {
    return type >= jet_type::kBoolean && type <= jet_type::kMemo;
}

size_t JetFixedWidth(uint8_t type) {
    switch (type) {
    case jet_type::kByte:
        return 1;
    case jet_type::kInteger:
        return 2;
    case jet_type::kLong:
    case jet_type::kSingle:
        return 4;
    case jet_type::kCurrency:
    case jet_type::kDouble:
    case jet_type::kDateTime:
        return 8;
    default:
        return 0;
    }
}

std::string JetTypeName(uint8_t type) {
    static const char* const kNames[] = {
        "",       "Boolean",   "Byte",   "Integer", "Long Integer", "Currency", "Single",
        "Double", "Date/Time", "Binary", "Text",    "OLE Object",   "Memo"};
    if (type < sizeof kNames / sizeof kNames[0] && type != 0) {
        return kNames[type];
    }
    return "unsupported type " + std::to_string(type);
}
