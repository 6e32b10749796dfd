// One value of a Jet archive row as the archive file keeps it, so that what
// is written and what is read back compare exactly.
#pragma once

#include "db/jet/jet_value.h"
#include "db/sqlite_statement.h"

#include <string>

struct ArchiveCell {
    enum class Kind { Null, Integer, Text, Blob } kind = Kind::Null;
    long long integer = 0;
    std::string bytes;

    bool operator==(const ArchiveCell& other) const {
        return kind == other.kind && integer == other.integer && bytes == other.bytes;
    }
};

// Throws JetError for a value the archive's column cannot carry as it is
// (a fraction in a number column, a number in a text column, a picture).
ArchiveCell CellOf(const JetValue& value, bool numberColumn);
void BindCell(Statement& statement, int index, const ArchiveCell& cell);
ArchiveCell ReadCell(const Statement& statement, int column);
