// The test host's file access for the native fuzz build, through the C
// library: reading a mailbox file and its index. Nothing is written here.
#include "testhost/mailstore/atomic_file.h"
#include "testhost/mailstore/disk_file.h"
#include "testhost/mailstore/store_error.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

std::FILE* Stream(HANDLE handle) {
    return static_cast<std::FILE*>(handle);
}

HANDLE Open(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    return file ? file : INVALID_HANDLE_VALUE;
}

} // namespace

BOOL CloseHandle(HANDLE handle) {
    return std::fclose(Stream(handle)) == 0;
}

void ThrowSystemError(const std::string& action, const std::string& path, DWORD error) {
    throw StoreError(action + " " + path + ": error " + std::to_string(error));
}

FileStamp ReadFileStamp(const std::string& path) {
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return FileStamp();
    }
    return FileStamp{true, static_cast<uint64_t>(info.st_size),
                     static_cast<uint64_t>(info.st_mtime)};
}

DiskFile::DiskFile(const std::string& path) : path_(path), handle_(Open(path)) {
    if (!handle_) {
        ThrowSystemError("Cannot open", path_, 2);
    }
}

FileStamp DiskFile::Stamp() const {
    struct stat info = {};
    if (fstat(fileno(Stream(handle_.get())), &info) != 0) {
        ThrowSystemError("Cannot read the size of", path_, 5);
    }
    return FileStamp{true, static_cast<uint64_t>(info.st_size),
                     static_cast<uint64_t>(info.st_mtime)};
}

size_t DiskFile::ReadSome(uint64_t offset, char* buffer, size_t count) const {
    std::FILE* file = Stream(handle_.get());
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) {
        ThrowSystemError("Cannot read", path_, 5);
    }
    return std::fread(buffer, 1, count, file);
}

std::string DiskFile::ReadAt(uint64_t offset, size_t count) const {
    std::string bytes(count, '\0');
    if (ReadSome(offset, bytes.data(), count) != count) {
        throw StoreError("Cannot read " + path_ + ": it ends before byte " +
                         std::to_string(offset + count));
    }
    return bytes;
}

// The index is only read in the fuzz build.
AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
    throw StoreError("Cannot write " + path_ + " in the fuzz build");
}
AtomicFile::~AtomicFile() = default;
void AtomicFile::Write(const char*, size_t) {}
void AtomicFile::Commit() {
    committed_ = true;
}
