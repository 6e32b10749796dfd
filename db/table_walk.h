// Chosen columns of a whole table, read in rowid order by one statement, as
// the engine's own tools read a table. A recordset reads column by column in
// runs of rows and checks each row is still there, which over a large table
// costs several times the reading itself. Values convert as the recordset's
// field getters convert them.
#pragma once

#include "db/field_value.h"
#include "db/sqlite_statement.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CADODatabase;

class TableWalk {
public:
    // None when the walk cannot read the table as a recordset would: it has
    // no rowids (a view, or a table made elsewhere without them) or lacks
    // one of `fields` (ANSI names, compared ignoring case). Throws
    // CADOException when the table cannot be read at all.
    static std::optional<TableWalk> Open(CADODatabase& database, const std::string& tableAnsi,
                                         const std::vector<std::string>& fields);

    // The rows the walk will give, when the walk runs inside a transaction
    // (the count and the walk then see the same rows). Throws CADOException.
    long long CountRows() const;
    // Throws CADOException when the file cannot be read.
    bool Next();
    long long Rowid() const;
    // `field` indexes the names given to Open.
    int Integer(size_t field) const;
    // Into `text`, whose room is used again from row to row.
    void ReadText(size_t field, std::string& text) const;
    // The same in UTF-8, every stored character kept; bytes the code page
    // could not carry as characters come as they were stored.
    void ReadUtf8(size_t field, std::string& utf8) const;

    // Made by Open.
    TableWalk(sqlite3* db, std::string quotedTable, Statement statement, std::vector<int> adoTypes);

private:
    // The stored UTF-8 of a text value, where it lies; none for any other.
    std::optional<std::string_view> StoredText(size_t field) const;
    FieldValue Value(size_t field) const;

    sqlite3* db_;
    std::string quotedTable_;
    Statement statement_;
    std::vector<int> adoTypes_;
};
