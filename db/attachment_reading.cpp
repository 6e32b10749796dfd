#include "db/attachment_reading.h"

#include "db/ado_database.h"
#include "db/attachment_chunks.h"
#include "db/attachment_hasher.h"
#include "db/attachment_tables.h"
#include "db/sqlite_statement.h"
#include "db/write_transaction.h"
#include "base/ansi_text.h"

#include <optional>

KeepReading::KeepReading(CADODatabase& database, SourceFile& file, const FileProgress& progress)
    : database_(database), db_(database.GetActiveConnection()->Handle()), file_(file),
      progress_(progress) {}

KeepReading::Result KeepReading::Run(const std::string& tableUtf8, long long rowid,
                                     const std::string& path, std::string& reason) {
    FileState before;
    if (!file_.State(before, reason)) {
        return Result::kRefused;
    }
    std::optional<WriteTransaction> level(std::in_place, database_);
    std::string sha256;
    Result result = Result::kKept;
    bool known = false;
    if (NamedBefore(db_, path, before.size, before.modified)) {
        // The file another row named, most likely: hashing it alone tells,
        // and nothing is written when it is.
        result = Hash(before, sha256, reason);
        if (result == Result::kKept && !HasSoundContent(db_, sha256, before.size)) {
            result = file_.Rewind(reason) ? Store(before, sha256, known, reason) : Result::kRefused;
        }
    } else {
        // A file no row names is new as a rule: it goes in as it is hashed,
        // and a copy of bytes kept already goes again with its level, which
        // gives its pages back without leaving them free in the file.
        result = Store(before, sha256, known, reason);
        if (result == Result::kKept && known) {
            level.reset();
            level.emplace(database_);
        }
    }
    if (result != Result::kKept) {
        return result;
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
    level->Commit();
    return Result::kKept;
}

template <typename Chunk>
KeepReading::Result KeepReading::ReadThrough(const FileState& before, ChunkBuffers& buffers,
                                             std::string& reason, Chunk chunk) {
    long long done = 0;
    for (;;) {
        char* const half = buffers.Next();
        size_t got = 0;
        if (!file_.Read(half, buffers.chunk(), got, reason)) {
            return Result::kRefused;
        }
        if (got == 0) {
            break;
        }
        if (done + static_cast<long long>(got) > before.size) {
            return Result::kChanged; // grown since the reading began
        }
        chunk(half, got);
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
    ChunkBuffers buffers(before.size);
    ChunkHasher hash(before.size);
    const Result result = ReadThrough(
        before, buffers, reason, [&](const char* bytes, size_t got) { hash.Update(bytes, got); });
    sha256 = hash.FinishHex();
    return result;
}

KeepReading::Result KeepReading::Store(const FileState& before, std::string& sha256, bool& known,
                                       std::string& reason) {
    NewContent content(db_, before.size);
    ChunkBuffers buffers(before.size);
    ChunkHasher hash(before.size);
    const Result result = ReadThrough(before, buffers, reason, [&](const char* bytes, size_t got) {
        hash.Update(bytes, got);
        content.Append(bytes, got);
    });
    if (result != Result::kKept) {
        return result;
    }
    const std::string stored = hash.FinishHex();
    if (!sha256.empty()) {
        // A second reading: the bytes stored must be the bytes first hashed.
        if (stored != sha256) {
            return Result::kChanged;
        }
    } else {
        sha256 = stored;
        known = HasSoundContent(db_, sha256, before.size);
        if (known) {
            return Result::kKept;
        }
    }
    content.Name(sha256);
    return Result::kKept;
}
