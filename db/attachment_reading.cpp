#include "db/attachment_reading.h"

#include "db/ado_database.h"
#include "db/attachment_tables.h"
#include "db/sqlite_statement.h"
#include "db/write_transaction.h"
#include "base/ansi_text.h"
#include "base/sha256.h"

KeepReading::KeepReading(CADODatabase& database, SourceFile& file, std::vector<char>& buffer,
                         const FileProgress& progress)
    : database_(database), db_(database.GetActiveConnection()->Handle()), file_(file),
      buffer_(buffer), progress_(progress) {}

KeepReading::Result KeepReading::Run(const std::string& tableUtf8, long long rowid,
                                     const std::string& path, std::string& reason) {
    FileState before;
    if (!file_.State(before, reason)) {
        return Result::kRefused;
    }
    // The limit holds for the whole row: room is left for its other values.
    if (before.size > sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, -1) - 4096LL) {
        reason = "it is larger than the archive can keep";
        return Result::kRefused;
    }
    std::string sha256;
    Result result = Hash(before, sha256, reason);
    if (result != Result::kKept) {
        return result;
    }
    WriteTransaction level(database_);
    if (!HasSoundContent(db_, sha256, before.size)) {
        result = Store(before, sha256, reason);
        if (result != Result::kKept) {
            return result;
        }
    }
    Statement add(db_, "INSERT INTO " + QuotedRefsTable() +
                           " (TableName, RowId, Path, Sha256, Size, Modified)"
                           " VALUES (?, ?, ?, ?, ?, ?)");
    add.BindText(1, tableUtf8);
    add.BindInteger(2, rowid);
    add.BindText(3, AnsiToUtf8(path));
    add.BindText(4, sha256);
    add.BindInteger(5, before.size);
    add.BindInteger(6, static_cast<long long>(before.modified));
    add.Run();
    level.Commit();
    return Result::kKept;
}

template <typename Chunk>
KeepReading::Result KeepReading::ReadThrough(const FileState& before, std::string& reason,
                                             Chunk chunk) {
    long long done = 0;
    for (;;) {
        size_t got = 0;
        if (!file_.Read(buffer_.data(), buffer_.size(), got, reason)) {
            return Result::kRefused;
        }
        if (got == 0) {
            break;
        }
        if (done + static_cast<long long>(got) > before.size) {
            return Result::kChanged; // grown since the reading began
        }
        chunk(got, done);
        done += static_cast<long long>(got);
        if (progress_) {
            progress_(done, before.size);
        }
    }
    FileState after;
    if (!file_.State(after, reason)) {
        return Result::kRefused;
    }
    return done == before.size && after == before ? Result::kKept : Result::kChanged;
}

KeepReading::Result KeepReading::Hash(const FileState& before, std::string& sha256,
                                      std::string& reason) {
    Sha256 hash;
    const Result result = ReadThrough(
        before, reason, [&](size_t got, long long) { hash.Update(buffer_.data(), got); });
    sha256 = hash.FinishHex();
    return result;
}

// Into a new content row made to the file's size, hashed again on the way:
// the bytes stored must be the bytes first hashed.
KeepReading::Result KeepReading::Store(const FileState& before, const std::string& sha256,
                                       std::string& reason) {
    if (!file_.Rewind(reason)) {
        return Result::kRefused;
    }
    Statement make(db_, "INSERT INTO " + QuotedContentTable() +
                            " (Sha256, Size, Data) VALUES (?, ?, zeroblob(?))");
    make.BindText(1, sha256);
    make.BindInteger(2, before.size);
    make.BindInteger(3, before.size);
    make.Run();
    ContentBlob blob(db_, sqlite3_last_insert_rowid(db_), true);
    Sha256 hash;
    const Result result = ReadThrough(before, reason, [&](size_t got, long long at) {
        hash.Update(buffer_.data(), got);
        blob.Write(buffer_.data(), got, at);
    });
    if (result != Result::kKept) {
        return result;
    }
    return hash.FinishHex() == sha256 ? Result::kKept : Result::kChanged;
}
