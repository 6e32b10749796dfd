// The rows behind an open recordset. A recordset's rows are a snapshot taken
// when it opens (a static cursor); how they are kept is up to the source.
#pragma once

#include "db/field_value.h"

#include <string>
#include <vector>

class RowSource {
public:
    virtual ~RowSource() = default;

    virtual long Count() const = 0;
    virtual bool AtEnd() const = 0;
    virtual void MoveFirst() = 0;
    // Raises DbError at the end.
    virtual void MoveNext() = 0;

    // `field` is a column name, compared ignoring case; DbError when there is
    // no such column or no current row.
    virtual FieldValue Read(const std::string& field) = 0;

    // Edits. The base refuses them: a source that cannot change its table
    // says so with ADO's "does not support updating".
    virtual void BeginInsert();
    virtual void Write(const std::string& field, const FieldValue& value);
    // Makes the pending insert or change permanent.
    virtual void SavePending();
    virtual void CancelPending() {}

    // The current row's identity, to come back to it later (ADO's bookmark).
    // The base has none to give.
    virtual long long Bookmark();
    virtual void MoveToBookmark(long long bookmark);
    // Deletes the current row; it stays current, and unreadable, until the
    // next move.
    virtual void DeleteCurrent();

    // From the connection: its engine handle is about to go.
    virtual void Detach() = 0;
    virtual bool Attached() const = 0;
    // From the connection, before it deletes these rows of `tableUtf8`.
    virtual void RowsDeleting(const std::string& tableUtf8, const std::vector<long long>& rowids) {
        (void)tableUtf8;
        (void)rowids;
    }
    virtual bool ReadsTable(const std::string& tableUtf8) const {
        (void)tableUtf8;
        return false;
    }
};
