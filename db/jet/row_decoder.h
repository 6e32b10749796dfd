// Turns one stored row into its values, column by column, as the table's
// definition lays them out.
#pragma once

#include "db/jet/jet_value.h"
#include "db/jet/long_value.h"
#include "db/jet/table_definition.h"

#include <vector>

class RowDecoder {
public:
    RowDecoder(const TableDefinition& definition, const JetHeader& header,
               LongValueReader& longValues)
        : definition_(definition), header_(header), longValues_(longValues) {}

    // One value per column of the definition, in its order. Throws JetError
    // when the row's layout does not fit its bytes.
    void Decode(ByteSpan row, std::vector<JetValue>& values) const;

private:
    JetValue FixedValue(const JetColumn& column, ByteSpan row, size_t fixedEnd) const;
    JetValue VariableValue(const JetColumn& column, ByteSpan bytes) const;

    const TableDefinition& definition_;
    const JetHeader& header_;
    LongValueReader& longValues_;
};
