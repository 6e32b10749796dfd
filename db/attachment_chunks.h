// The bytes of one kept content, going in and coming out a chunk row at a
// time: each byte is written once, by a bound value, and read once, so that
// memory holds a chunk whatever a file's size. Failures are DbError.
#pragma once

#include "db/sqlite_handles.h"
#include "db/sqlite_statement.h"

#include <string>

// A content made for one reading of a file: its row first, without its
// checksum, then its chunks in order, then the checksum once all bytes are in.
class NewContent {
public:
    NewContent(sqlite3* db, long long size);
    NewContent(const NewContent&) = delete;
    NewContent& operator=(const NewContent&) = delete;

    // `bytes` need only live for the call.
    void Append(const char* bytes, size_t size);
    void Name(const std::string& sha256);

private:
    sqlite3* db_;
    long long id_ = 0;
    long long part_ = 0;
    UniqueStatement insert_;
};

// The chunks of one kept content, in order, read through the engine's BLOB
// handle straight into the caller's buffer: no copy of a chunk in between.
class KeptContent {
public:
    KeptContent(sqlite3* db, long long id);
    ~KeptContent() { sqlite3_blob_close(blob_); }
    KeptContent(const KeptContent&) = delete;
    KeptContent& operator=(const KeptContent&) = delete;

    // Steps to the next chunk and gives its size; false at the end, and when
    // a part is missing (`whole` then says so).
    bool Next(size_t& size);
    bool whole() const { return whole_; }
    // Bytes of the current chunk from `at`.
    void Read(char* bytes, size_t size, size_t at);

private:
    sqlite3* db_;
    Statement chunks_;
    StatementRun run_{chunks_};
    sqlite3_blob* blob_ = nullptr;
    long long part_ = 0;
    bool whole_ = true;
};
