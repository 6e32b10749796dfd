// Writes what the Jet reader reads from a file as JSON lines, for a check on
// the Linux side against mdbtools: a line per table (its name, columns and
// column properties), then a line per row.
#include "db/jet/jet_column_types.h"
#include "db/jet/jet_database.h"
#include "engine/archive_text_form.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

std::string Json(const std::wstring& text) {
    std::string out = "\"";
    for (unsigned char c : StoredFormOf(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Json(const JetValue& value) {
    char number[64];
    switch (value.kind) {
    case JetValueKind::Null:
        return "null";
    case JetValueKind::Boolean:
    case JetValueKind::Integer:
        return std::to_string(value.integer);
    case JetValueKind::Currency:
        return "{\"currency\":" + std::to_string(value.integer) + "}";
    case JetValueKind::Real:
        std::snprintf(number, sizeof number, "{\"real\":%.17g}", value.real);
        return number;
    case JetValueKind::DateTime:
        std::snprintf(number, sizeof number, "{\"date\":%.17g}", value.real);
        return number;
    case JetValueKind::Text:
        return Json(value.text);
    case JetValueKind::Binary:
        return "{\"binary\":" + std::to_string(value.bytes.size()) + "}";
    case JetValueKind::Unsupported:
        break;
    }
    return "{\"unsupported\":true}";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: jet_dump FILE.mdb OUT.jsonl\n";
        return 2;
    }
    std::ofstream out(argv[2], std::ios::binary);
    try {
        JetDatabase database(argv[1]);
        for (const JetTable& table : database.tables()) {
            out << "{\"table\":" << Json(table.name) << ",\"columns\":[";
            const char* separator = "";
            for (const JetColumn& column : table.definition.columns) {
                out << separator << "{\"name\":" << Json(column.name) << ",\"type\":\""
                    << JetTypeName(column.type) << "\"";
                for (const wchar_t* property : {L"Description", L"AllowZeroLength"}) {
                    JetValue value = table.ColumnProperty(column.name, property);
                    if (!value.IsNull()) {
                        out << "," << Json(property) << ":" << Json(value);
                    }
                }
                out << "}";
                separator = ",";
            }
            out << "]}\n";
            std::unique_ptr<TableScan> scan = database.Scan(table);
            std::vector<JetValue> row;
            while (scan->Next(row)) {
                out << "[";
                for (size_t i = 0; i < row.size(); ++i) {
                    out << (i ? "," : "") << Json(row[i]);
                }
                out << "]\n";
            }
        }
    } catch (const JetError& error) {
        std::cerr << "jet_dump: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
