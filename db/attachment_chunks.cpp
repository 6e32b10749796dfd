#include "db/attachment_chunks.h"

#include "db/attachment_store.h"
#include "db/attachment_tables.h"
#include "db/db_error.h"

NewContent::NewContent(sqlite3* db, long long size) : db_(db) {
    Statement make(db, "INSERT INTO " + QuotedContentTable() + " (Size) VALUES (?)");
    make.BindInteger(1, size);
    make.Run();
    id_ = sqlite3_last_insert_rowid(db);
    // Bound without a copy: the statement layer would take one of every chunk.
    const std::string sql =
        "INSERT INTO " + QuotedChunksTable() + " (ContentId, Part, Data) VALUES (?, ?, ?)";
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size() + 1), &prepared, nullptr) !=
        SQLITE_OK) {
        throw EngineError(db);
    }
    insert_.reset(prepared);
}

void NewContent::Append(const char* bytes, size_t size) {
    sqlite3_stmt* insert = insert_.get();
    if (sqlite3_bind_int64(insert, 1, id_) != SQLITE_OK ||
        sqlite3_bind_int64(insert, 2, part_) != SQLITE_OK ||
        sqlite3_bind_blob(insert, 3, bytes, static_cast<int>(size), SQLITE_STATIC) != SQLITE_OK) {
        throw EngineError(db_);
    }
    const int result = sqlite3_step(insert);
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    if (result != SQLITE_DONE) {
        throw EngineError(db_);
    }
    ++part_;
}

void NewContent::Name(const std::string& sha256) {
    Statement name(db_, "UPDATE " + QuotedContentTable() + " SET Sha256 = ? WHERE Id = ?");
    name.BindText(1, sha256);
    name.BindInteger(2, id_);
    name.Run();
}

KeptContent::KeptContent(sqlite3* db, long long id)
    : db_(db), chunks_(db, "SELECT rowid, Part, length(Data) FROM " + QuotedChunksTable() +
                               " WHERE ContentId = ? ORDER BY Part") {
    chunks_.BindInteger(1, id);
}

bool KeptContent::Next(size_t& size) {
    if (!whole_ || !chunks_.Step()) {
        return false;
    }
    if (chunks_.ColumnInteger(1) != part_++) {
        whole_ = false;
        return false;
    }
    const long long rowid = chunks_.ColumnInteger(0);
    size = static_cast<size_t>(chunks_.ColumnInteger(2));
    const int result =
        blob_ ? sqlite3_blob_reopen(blob_, rowid)
              : sqlite3_blob_open(db_, "main", kAttachmentChunksTable, "Data", rowid, 0, &blob_);
    if (result != SQLITE_OK) {
        throw EngineError(db_);
    }
    return true;
}

void KeptContent::Read(char* bytes, size_t size, size_t at) {
    if (sqlite3_blob_read(blob_, bytes, static_cast<int>(size), static_cast<int>(at)) !=
        SQLITE_OK) {
        throw EngineError(db_);
    }
}
