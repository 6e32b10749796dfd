// The file side of the attachment store: files read and written through the
// wide-character calls (a path of the code page may still name a file the
// narrow calls would miss), a chunk at a time, never whole.
#pragma once

#include "base/unique_resource.h"

#include <cstdint>
#include <string>

// How much of a file is read or written at once.
constexpr size_t kFileChunk = 1 << 20;

// What tells one state of a file from another without reading it.
struct FileState {
    long long size = 0;
    uint64_t modified = 0; // last write, FILETIME in UTC
    bool operator==(const FileState& other) const {
        return size == other.size && modified == other.modified;
    }
    bool operator!=(const FileState& other) const { return !(*this == other); }
};

// The platform's text for an error code, or "Error <code>." when it has none.
std::string SystemReason(DWORD code);

// A file opened to be read from start to end while others may go on
// writing, renaming or deleting it.
class SourceFile {
public:
    enum class Open {
        kOpened,
        kMissing, // nothing at the path
        kFolder,  // a folder at the path
        kRefused, // there, but not to be read: `reason` says why
    };
    Open OpenAt(const std::string& path, std::string& reason);

    bool State(FileState& state, std::string& reason) const;
    // Up to `size` bytes; `got` is 0 at the end.
    bool Read(char* buffer, size_t size, size_t& got, std::string& reason);
    bool Rewind(std::string& reason);

private:
    UniqueFile file_;
};

// A file written under a temporary name in the folder of its path and put
// there only when whole, without replacing anything: the temporary goes
// again unless it was placed.
class NewFile {
public:
    explicit NewFile(std::string path) : path_(std::move(path)) {}
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // With `makeFolders`, the folders of the path that are gone are made.
    bool Open(bool makeFolders, std::string& error);
    bool Write(const char* bytes, size_t size, std::string& error);

    enum class Place {
        kPlaced,
        kTaken, // a file appeared at the path meanwhile: it stays, ours goes
        kFailed,
    };
    // Flushed, given the last write time `modified`, closed and renamed.
    Place Finish(uint64_t modified, std::string& error);

private:
    std::string path_;
    std::wstring temporary_;
    UniqueFile file_;
};
