#include "db/row_source.h"

#include "db/db_error.h"

namespace {

[[noreturn]] void RefuseUpdate() {
    throw DbError(db_code::kNotSupported, kRecordsetSource,
                  "Current Recordset does not support updating. This may be a limitation of the "
                  "provider, or of the selected locktype.");
}

[[noreturn]] void RefuseBookmarks() {
    throw DbError(db_code::kNotSupported, kRecordsetSource,
                  "Current Recordset does not support bookmarks. This may be a limitation of "
                  "the provider or of the selected cursortype.");
}

} // namespace

void RowSource::BeginInsert() {
    RefuseUpdate();
}

void RowSource::Write(const std::string&, const FieldValue&) {
    RefuseUpdate();
}

void RowSource::SavePending() {
    RefuseUpdate();
}

long long RowSource::Bookmark() {
    RefuseBookmarks();
}

void RowSource::MoveToBookmark(long long) {
    RefuseBookmarks();
}

void RowSource::DeleteCurrent() {
    RefuseUpdate();
}
