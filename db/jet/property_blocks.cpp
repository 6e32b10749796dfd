#include "db/jet/property_blocks.h"

#include "db/jet/jet_column_types.h"
#include "db/jet/jet_text.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint16_t kNamesBlock = 0x0080;
constexpr uint16_t kObjectBlock = 0x0000;
constexpr uint16_t kColumnBlock = 0x0001;

JetValue PropertyValue(uint8_t type, ByteSpan data, const JetHeader& header) {
    JetValue value;
    switch (type) {
    case jet_type::kBoolean:
        value.kind = JetValueKind::Boolean;
        value.integer = data.size() > 0 && data.U8(0) != 0 ? 1 : 0;
        break;
    case jet_type::kByte:
    case jet_type::kInteger:
    case jet_type::kLong:
        value.kind = JetValueKind::Integer;
        value.integer = data.size() >= 4   ? static_cast<int32_t>(data.U32(0))
                        : data.size() >= 2 ? static_cast<int16_t>(data.U16(0))
                        : data.size() == 1 ? data.U8(0)
                                           : 0;
        break;
    case jet_type::kText:
    case jet_type::kMemo:
        value.kind = JetValueKind::Text;
        value.text = DecodeJetText(data, header);
        break;
    default:
        value.kind = JetValueKind::Binary;
        value.bytes.assign(reinterpret_cast<const char*>(data.data()), data.size());
        break;
    }
    return value;
}

std::wstring NameAt(ByteSpan block, size_t& at, const JetHeader& header) {
    size_t length = block.U16(at);
    at += 2;
    std::wstring name = DecodeJetText(block.Sub(at, length), header);
    at += length;
    return name;
}

} // namespace

JetPropertySet ReadPropertyBlocks(const std::string& stored, const JetHeader& header) {
    JetPropertySet set;
    ByteSpan all(reinterpret_cast<const uint8_t*>(stored.data()), stored.size());
    if (all.size() < 4 ||
        (std::memcmp(all.data(), "MR2", 4) != 0 && std::memcmp(all.data(), "KKD", 4) != 0)) {
        throw JetError("the column properties are not in a known form");
    }
    std::vector<std::wstring> names;
    size_t at = 4;
    while (at + 6 <= all.size()) {
        size_t blockLength = all.U32(at);
        uint16_t blockType = all.U16(at + 4);
        if (blockLength < 6) {
            throw JetError("a block of column properties has no length");
        }
        ByteSpan block = all.Sub(at, blockLength);
        if (blockType == kNamesBlock) {
            size_t in = 6;
            while (in + 2 <= block.size()) {
                names.push_back(NameAt(block, in, header));
            }
        } else if (blockType == kObjectBlock || blockType == kColumnBlock) {
            // After the block's own head: its length again, then the name of
            // the object (empty for the table itself).
            size_t in = 10;
            std::wstring object = NameAt(block, in, header);
            JetProperties& properties = blockType == kObjectBlock ? set.table : set.columns[object];
            while (in + 8 <= block.size()) {
                size_t entryLength = block.U16(in);
                if (entryLength < 8) {
                    throw JetError("a column property has no length");
                }
                ByteSpan entry = block.Sub(in, entryLength);
                uint8_t type = entry.U8(3);
                size_t nameIndex = entry.U16(4);
                ByteSpan data = entry.Sub(8, entry.U16(6));
                if (nameIndex >= names.size()) {
                    throw JetError("a column property has no name");
                }
                properties[names[nameIndex]] = PropertyValue(type, data, header);
                in += entryLength;
            }
        }
        at += blockLength;
    }
    return set;
}
