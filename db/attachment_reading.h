// One reading of a file that a row names, to keep it: hashed while its bytes
// go into the archive as a new content, and named by a reference of the row,
// all inside a level of the caller's transaction of its own, so that a
// reading that finds the file changed leaves nothing behind for the next one.
#pragma once

#include "db/attachment_files.h"
#include "db/attachment_hasher.h"
#include "db/attachment_store.h"
#include "db/sqlite_handles.h"

#include <string>

class CADODatabase;

class KeepReading {
public:
    KeepReading(CADODatabase& database, SourceFile& file, const FileProgress& progress);

    enum class Result {
        kKept,
        kChanged, // size, time or bytes differ from the start of the reading
        kRefused, // `reason` says why
    };
    // Throws DbError, and CADOException from the transaction's levels.
    Result Run(const std::string& tableUtf8, long long rowid, const std::string& path,
               std::string& reason);

private:
    // Reads to the end into `buffers` in turn, telling each chunk to `chunk`.
    template <typename Chunk>
    Result ReadThrough(const FileState& before, ChunkBuffers& buffers, std::string& reason,
                       Chunk chunk);
    Result Hash(const FileState& before, std::string& sha256, std::string& reason);
    // Into a new content. An `sha256` given is what the bytes must hash to;
    // an empty one is set to what they hash to, and `known` tells whether
    // the archive held those bytes already (the new content is then unnamed).
    Result Store(const FileState& before, std::string& sha256, bool& known, std::string& reason);

    CADODatabase& database_;
    sqlite3* db_;
    SourceFile& file_;
    const FileProgress& progress_;
};
