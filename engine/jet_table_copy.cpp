#include "engine/jet_table_copy.h"

#include "db/sql_text.h"
#include "engine/archive_cell.h"
#include "engine/jet_archive_columns.h"
#include "base/ansi_text.h"

#include <array>

namespace {

using Row = std::array<ArchiveCell, kArchiveColumnCount>;

std::string ColumnList() {
    std::string list;
    for (size_t i = 0; i < kArchiveColumnCount; ++i) {
        list += (i ? ", " : "") + QuoteIdentifier(ArchiveColumnName(i));
    }
    return list;
}

Row CellsOf(const std::vector<JetValue>& values, const JetArchiveColumns& columns,
            const JetTable& table, uint64_t rowNumber) {
    Row row;
    for (size_t i = 0; i < kArchiveColumnCount; ++i) {
        try {
            row[i] = CellOf(values[columns.index[i]], JetArchiveColumns::IsNumber(i));
        } catch (const JetError& error) {
            throw JetError("Row " + std::to_string(rowNumber) + " of " + TableText(table.name) +
                           ", column " + ArchiveColumnName(i) + ": " + error.what() + ".");
        }
    }
    return row;
}

// A memo whose length was damaged reads as a shorter text, the same as the
// Jet engine reads it; only the row's Size, in thousands of bytes, tells.
// Sizes are rounded down, and a character is at most two bytes in the code
// pages the host uses, so a whole message never looks short.
bool LooksCutShort(const JetValue& size, const JetValue& message) {
    if (size.kind != JetValueKind::Integer || size.integer <= 0) {
        return false;
    }
    const int64_t expected = size.integer * 1000;
    const int64_t held =
        message.kind == JetValueKind::Text ? static_cast<int64_t>(message.text.size()) : 0;
    const int64_t missing = expected - held;
    return missing > 1000 && missing * 2 > expected;
}

std::string CutShortNote(const std::vector<JetValue>& values, const JetArchiveColumns& columns,
                         const std::string& tableAnsi, uint64_t rowNumber) {
    const JetValue& id = values[columns.index[0]];
    const JetValue& message = values[columns.index[8]];
    return "Row " + std::to_string(rowNumber) + " of " + tableAnsi +
           (id.kind == JetValueKind::Integer ? " (id " + std::to_string(id.integer) + ")" : "") +
           " may be damaged: its message holds " +
           std::to_string(message.kind == JetValueKind::Text ? message.text.size() : 0) +
           " characters where its Size says " + std::to_string(values[columns.index[5]].integer) +
           " KB. It was converted as the Jet file gives it.";
}

} // namespace

bool CopyJetTable(const JetDatabase& jet, const JetTable& table, DbConnection& archive,
                  const std::string& tableAnsi, ConversionProgress& progress,
                  std::vector<std::string>& doubtfulRows) {
    const JetArchiveColumns columns = FindArchiveColumns(table);
    Statement insert(archive.Handle(), "INSERT INTO " + QuoteIdentifier(AnsiToUtf8(tableAnsi)) +
                                           " (" + ColumnList() +
                                           ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    std::unique_ptr<TableScan> scan = jet.Scan(table);
    std::vector<JetValue> values;
    uint64_t rowNumber = 0;
    archive.BeginTrans();
    try {
        while (scan->Next(values)) {
            Row row = CellsOf(values, columns, table, ++rowNumber);
            if (LooksCutShort(values[columns.index[5]], values[columns.index[8]])) {
                doubtfulRows.push_back(CutShortNote(values, columns, tableAnsi, rowNumber));
            }
            StatementRun run(insert);
            for (size_t i = 0; i < kArchiveColumnCount; ++i) {
                BindCell(insert, static_cast<int>(i + 1), row[i]);
            }
            insert.Run();
            if (!progress.Step()) {
                archive.RollbackTrans();
                return false;
            }
        }
    } catch (...) {
        archive.RollbackTrans();
        throw;
    }
    archive.CommitTrans();
    return true;
}

bool CompareJetTable(const JetDatabase& jet, const JetTable& table, DbConnection& archive,
                     const std::string& tableAnsi, ConversionProgress& progress) {
    const JetArchiveColumns columns = FindArchiveColumns(table);
    Statement select(archive.Handle(), "SELECT " + ColumnList() + " FROM " +
                                           QuoteIdentifier(AnsiToUtf8(tableAnsi)) +
                                           " ORDER BY rowid");
    StatementRun run(select);
    std::unique_ptr<TableScan> scan = jet.Scan(table);
    std::vector<JetValue> values;
    uint64_t rowNumber = 0;
    const std::string where = " in the converted " + TableText(table.name);
    while (scan->Next(values)) {
        Row expected = CellsOf(values, columns, table, ++rowNumber);
        if (!select.Step()) {
            throw JetError("Row " + std::to_string(rowNumber) + " is missing" + where + ".");
        }
        for (size_t i = 0; i < kArchiveColumnCount; ++i) {
            if (!(ReadCell(select, static_cast<int>(i)) == expected[i])) {
                throw JetError("Row " + std::to_string(rowNumber) + ", column " +
                               ArchiveColumnName(i) + " differs" + where + ".");
            }
        }
        if (!progress.Step()) {
            return false;
        }
    }
    if (select.Step()) {
        throw JetError("There are more rows" + where + " than in the Jet file.");
    }
    return true;
}
