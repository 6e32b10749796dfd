#include "engine/archive_cell.h"

#include "db/jet/jet_error.h"
#include "engine/archive_text_form.h"

#include <sqlite3.h>

ArchiveCell CellOf(const JetValue& value, bool numberColumn) {
    ArchiveCell cell;
    switch (value.kind) {
    case JetValueKind::Null:
        return cell;
    case JetValueKind::Boolean:
    case JetValueKind::Integer:
        if (numberColumn) {
            cell.kind = ArchiveCell::Kind::Integer;
            cell.integer = value.integer;
            return cell;
        }
        break;
    case JetValueKind::Text:
        if (!numberColumn) {
            cell.kind = ArchiveCell::Kind::Text;
            cell.bytes = StoredFormOf(value.text);
            return cell;
        }
        break;
    default:
        break;
    }
    throw JetError(numberColumn ? "a number column holds a value that is no whole number"
                                : "a text column holds a value that is no text");
}

void BindCell(Statement& statement, int index, const ArchiveCell& cell) {
    switch (cell.kind) {
    case ArchiveCell::Kind::Null:
        statement.BindNull(index);
        break;
    case ArchiveCell::Kind::Integer:
        statement.BindInteger(index, cell.integer);
        break;
    case ArchiveCell::Kind::Text:
        statement.BindText(index, cell.bytes);
        break;
    case ArchiveCell::Kind::Blob:
        statement.BindBlob(index, cell.bytes);
        break;
    }
}

ArchiveCell ReadCell(const Statement& statement, int column) {
    ArchiveCell cell;
    switch (statement.ColumnType(column)) {
    case SQLITE_NULL:
        break;
    case SQLITE_INTEGER:
        cell.kind = ArchiveCell::Kind::Integer;
        cell.integer = statement.ColumnInteger(column);
        break;
    case SQLITE_BLOB:
        cell.kind = ArchiveCell::Kind::Blob;
        cell.bytes = statement.ColumnBytes(column);
        break;
    default:
        cell.kind = ArchiveCell::Kind::Text;
        cell.bytes = statement.ColumnBytes(column);
        break;
    }
    return cell;
}
