#include "db/jet/row_decoder.h"

#include "db/jet/jet_column_types.h"
#include "db/jet/jet_text.h"
#include "db/jet/var_offsets.h"
#include "base/ansi_text.h"

namespace {

JetValue Unsupported() {
    JetValue value;
    value.kind = JetValueKind::Unsupported;
    return value;
}

bool BitSet(ByteSpan mask, size_t bit) {
    return (mask.U8(bit / 8) >> (bit % 8)) & 1;
}

} // namespace

JetValue RowDecoder::FixedValue(const JetColumn& column, ByteSpan row, size_t fixedEnd) const {
    size_t width = JetFixedWidth(column.type);
    if (width == 0) {
        return Unsupported();
    }
    size_t at = header_.format->rowFieldSize + column.fixedOffset;
    if (at + width > fixedEnd) {
        throw JetError("the value of column '" +
                       std::string(column.name.begin(), column.name.end()) +
                       "' lies outside the row");
    }
    JetValue value;
    switch (column.type) {
    case jet_type::kByte:
        value.kind = JetValueKind::Integer;
        value.integer = row.U8(at);
        break;
    case jet_type::kInteger:
        value.kind = JetValueKind::Integer;
        value.integer = static_cast<int16_t>(row.U16(at));
        break;
    case jet_type::kLong:
        value.kind = JetValueKind::Integer;
        value.integer = static_cast<int32_t>(row.U32(at));
        break;
    case jet_type::kCurrency:
        value.kind = JetValueKind::Currency;
        value.integer = row.I64(at);
        break;
    case jet_type::kSingle:
        value.kind = JetValueKind::Real;
        value.real = row.F32(at);
        break;
    case jet_type::kDouble:
        value.kind = JetValueKind::Real;
        value.real = row.F64(at);
        break;
    case jet_type::kDateTime:
        value.kind = JetValueKind::DateTime;
        value.real = row.F64(at);
        break;
    default:
        return Unsupported();
    }
    return value;
}

JetValue RowDecoder::VariableValue(const JetColumn& column, ByteSpan bytes) const {
    JetValue value;
    switch (column.type) {
    case jet_type::kText:
        value.kind = JetValueKind::Text;
        value.text = DecodeJetText(bytes, header_);
        return value;
    case jet_type::kMemo: {
        std::string stored = longValues_.Read(bytes);
        value.kind = JetValueKind::Text;
        value.text = DecodeJetText(
            ByteSpan(reinterpret_cast<const uint8_t*>(stored.data()), stored.size()), header_);
        return value;
    }
    case jet_type::kBinary:
        value.kind = JetValueKind::Binary;
        value.bytes.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return value;
    case jet_type::kOle:
        value.kind = JetValueKind::Binary;
        value.bytes = longValues_.Read(bytes);
        return value;
    default:
        return Unsupported();
    }
}

void RowDecoder::Decode(ByteSpan row, std::vector<JetValue>& values) const {
    const JetFormat& format = *header_.format;
    size_t rowColumns = format.jet4 ? row.U16(0) : row.U8(0);
    size_t maskSize = (rowColumns + 7) / 8;
    if (maskSize + format.rowFieldSize > row.size()) {
        throw JetError("the row is shorter than its null mask");
    }
    size_t tail = row.size() - maskSize;
    ByteSpan mask = row.Sub(tail, maskSize);
    std::vector<size_t> offsets;
    size_t fixedEnd = tail;
    if (definition_.varColumnCount > 0) {
        offsets = ReadVarOffsets(row, tail, format);
        fixedEnd = offsets.front();
    }
    values.resize(definition_.columns.size());
    for (size_t i = 0; i < definition_.columns.size(); ++i) {
        const JetColumn& column = definition_.columns[i];
        JetValue& value = values[i];
        value = JetValue();
        bool present = column.number < rowColumns && BitSet(mask, column.number);
        if (column.type == jet_type::kBoolean) {
            value.kind = JetValueKind::Boolean;
            value.integer = present ? 1 : 0;
            continue;
        }
        if (!JetTypeIsRead(column.type)) {
            value = Unsupported();
            continue;
        }
        if (!present) {
            continue;
        }
        if (column.fixed) {
            value = FixedValue(column, row, fixedEnd);
            continue;
        }
        if (column.varIndex + 1u >= offsets.size()) {
            continue; // added to the table after this row was written
        }
        size_t start = offsets[column.varIndex];
        size_t end = offsets[column.varIndex + 1];
        if (start > end || end > tail) {
            throw JetError("a value's offsets lie outside the row");
        }
        value = VariableValue(column, row.Sub(start, end - start));
    }
}
