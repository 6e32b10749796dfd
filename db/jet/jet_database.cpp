#include "db/jet/jet_database.h"

#include "base/ansi_text.h"

namespace {

constexpr uint32_t kCatalogPage = 2;
constexpr int64_t kTableObject = 1;
// Set on the catalog's and Access's own tables.
constexpr int64_t kSystemObjectFlags = static_cast<int64_t>(0x80000002u);
constexpr uint32_t kPageOfId = 0x00FFFFFF;

size_t ColumnIndex(const TableDefinition& definition, const wchar_t* name) {
    for (size_t i = 0; i < definition.columns.size(); ++i) {
        if (definition.columns[i].name == name) {
            return i;
        }
    }
    throw JetError("the catalog lacks its column " + AnsiFromWide(name));
}

} // namespace

std::string TableText(const std::wstring& name) {
    return "table '" + AnsiFromWide(name) + "'";
}

JetValue JetTable::ColumnProperty(const std::wstring& column, const std::wstring& property) const {
    auto found = properties.columns.find(column);
    if (found == properties.columns.end()) {
        return JetValue();
    }
    auto value = found->second.find(property);
    return value == found->second.end() ? JetValue() : value->second;
}

JetDatabase::JetDatabase(const std::string& path) : file_(path), header_(ReadJetHeader(file_)) {
    ReadCatalog();
}

void JetDatabase::ReadCatalog() {
    PageReader pages(file_, header_);
    TableDefinition catalog;
    size_t id = 0, name = 0, type = 0, flags = 0, properties = 0;
    try {
        catalog = ReadTableDefinition(pages, kCatalogPage);
        id = ColumnIndex(catalog, L"Id");
        name = ColumnIndex(catalog, L"Name");
        type = ColumnIndex(catalog, L"Type");
        flags = ColumnIndex(catalog, L"Flags");
        properties = ColumnIndex(catalog, L"LvProp");
    } catch (const JetError& error) {
        throw JetError(std::string("The catalog of the database cannot be read: ") + error.what() +
                       ".");
    }
    TableScan scan(file_, header_, catalog, "the catalog");
    std::vector<JetValue> row;
    while (scan.Next(row)) {
        if (row[type].integer != kTableObject || (row[flags].integer & kSystemObjectFlags) ||
            row[name].kind != JetValueKind::Text) {
            continue;
        }
        JetTable table;
        table.name = row[name].text;
        table.definition.page = static_cast<uint32_t>(row[id].integer) & kPageOfId;
        if (row[properties].kind == JetValueKind::Binary) {
            try {
                table.properties = ReadPropertyBlocks(row[properties].bytes, header_);
            } catch (const JetError& error) {
                throw JetError("The column properties of " + TableText(table.name) +
                               " cannot be read: " + error.what() + ".");
            }
        }
        tables_.push_back(std::move(table));
    }
    for (JetTable& table : tables_) {
        try {
            PageReader pages(file_, header_);
            table.definition = ReadTableDefinition(pages, table.definition.page);
        } catch (const JetError& error) {
            throw JetError("The definition of " + TableText(table.name) +
                           " cannot be read: " + error.what() + ".");
        }
    }
}

std::unique_ptr<TableScan> JetDatabase::Scan(const JetTable& table) const {
    return std::make_unique<TableScan>(file_, header_, table.definition, TableText(table.name));
}
