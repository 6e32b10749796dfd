#include "engine/conversion_mark.h"

#include "db/archive_schema.h"
#include "db/db_error.h"
#include "db/sqlite_statement.h"
#include "base/file_utils.h"

namespace {

// Kept in the file's header, where no table, and so nothing that lists the
// archives, sees it. No other code sets it; a file made any other way has 0.
constexpr long long kConvertedMark = 0x4A455432; // "JET2"

} // namespace

void MarkConversionComplete(DbConnection& file) {
    file.Execute("PRAGMA user_version = " + std::to_string(kConvertedMark));
}

bool IsCompleteConversion(const std::string& path) {
    if (!FileExists(path)) {
        return false;
    }
    try {
        DbConnection file;
        file.Open(ArchiveConnectionString(path));
        Statement version(file.Handle(), "PRAGMA user_version");
        return version.Step() && version.ColumnInteger(0) == kConvertedMark;
    } catch (const DbError&) {
        return false;
    }
}
