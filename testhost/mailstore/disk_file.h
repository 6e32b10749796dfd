// Reading files by byte range, and the cheap fingerprint (existence, size,
// last write) that tells whether someone else has rewritten a file.
#pragma once

#include "base/unique_resource.h"

#include <cstdint>
#include <string>

struct FileStamp {
    bool exists = false;
    uint64_t size = 0;
    uint64_t lastWrite = 0; // FILETIME ticks

    bool operator==(const FileStamp& other) const {
        return exists == other.exists && size == other.size && lastWrite == other.lastWrite;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Attributes only; a file that cannot be seen counts as missing.
FileStamp ReadFileStamp(const std::string& path);

// A file opened for reading. Others may keep reading it, and may rename over
// it, while it is open; the handle keeps seeing the bytes it opened.
class DiskFile {
public:
    // StoreError when the file cannot be opened.
    explicit DiskFile(const std::string& path);

    const std::string& path() const { return path_; }
    FileStamp Stamp() const;
    uint64_t Size() const { return Stamp().size; }

    // Exactly `count` bytes from `offset`; StoreError when the file is shorter.
    std::string ReadAt(uint64_t offset, size_t count) const;
    // Up to `count` bytes; fewer only at the end of the file.
    size_t ReadSome(uint64_t offset, char* buffer, size_t count) const;

private:
    std::string path_;
    UniqueFile handle_;
};
