#include "db/row_source.h"

#include "db/db_error.h"

namespace {

[[noreturn]] void RefuseUpdate() {
    throw DbError(db_code::kNotSupported, kRecordsetSource,
                  "Current Recordset does not support updating. This may be a limitation of the "
                  "provider, or of the selected locktype.");
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
