// The Jet reader on a whole file of any bytes: the header, the catalog, every
// table's definition and column properties, and every row with its long
// values. A file it cannot read must end in JetError, nothing else.
#include "db/jet/jet_database.h"
#include "base/ansi_text.h"
#include "targets/memory_file.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file;
    file.Fill(data, size);
    try {
        JetDatabase database(file.path());
        for (const JetTable& table : database.tables()) {
            TableText(table.name);
            for (const JetColumn& column : table.definition.columns) {
                table.ColumnProperty(column.name, L"Description");
            }
            std::unique_ptr<TableScan> scan = database.Scan(table);
            std::vector<JetValue> row;
            while (scan->Next(row)) {
                FUZZ_CHECK(row.size() == table.definition.columns.size());
                FUZZ_CHECK(scan->PagesDone() <= scan->PageTotal());
                for (const JetValue& value : row) {
                    if (value.kind == JetValueKind::Text) {
                        Utf8FromWide(value.text);
                    }
                    // Nothing read from a page can be larger than the file.
                    FUZZ_CHECK(value.bytes.size() <= size && value.text.size() <= size);
                }
            }
        }
    } catch (const JetError&) {
        // The reader's one way of refusing a file.
    }
    return 0;
}
