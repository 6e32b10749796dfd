// A Jet database opened for reading: its user tables, their columns and
// column properties, and a scan of each table's rows.
#pragma once

#include "db/jet/property_blocks.h"
#include "db/jet/table_scan.h"

#include <memory>
#include <string>
#include <vector>

struct JetTable {
    std::wstring name;
    TableDefinition definition;
    JetPropertySet properties;

    // The property of the named column; null when it has none.
    JetValue ColumnProperty(const std::wstring& column, const std::wstring& property) const;
};

class JetDatabase {
public:
    // Reads the header and the catalog. Throws JetNotSupported for a later
    // Access file and JetError for anything else it cannot read.
    explicit JetDatabase(const std::string& path);

    const JetHeader& header() const { return header_; }
    // The user tables, in the catalog's order.
    const std::vector<JetTable>& tables() const { return tables_; }
    // A scan of the table's rows; the database must outlive it. Throws
    // JetError naming the table.
    std::unique_ptr<TableScan> Scan(const JetTable& table) const;

private:
    void ReadCatalog();

    JetFile file_;
    JetHeader header_;
    std::vector<JetTable> tables_;
};

// "table 'Name'" in the ANSI code page, for the texts that say where a fault is.
std::string TableText(const std::wstring& name);
