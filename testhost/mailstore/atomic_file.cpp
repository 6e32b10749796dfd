#include "testhost/mailstore/atomic_file.h"

#include "testhost/mailstore/store_error.h"

#include <utility>

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)), tempPath_(path_ + ".tmp") {
    // A temporary left by a crash is ours to overwrite: it never held the
    // only copy of anything.
    temp_.reset(::CreateFileA(tempPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!temp_) {
        ThrowSystemError("Cannot create", tempPath_, ::GetLastError());
    }
}

AtomicFile::~AtomicFile() {
    if (!committed_) {
        temp_.reset();
        ::DeleteFileA(tempPath_.c_str());
    }
}

void AtomicFile::Write(const char* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(size > (1u << 20) ? (1u << 20) : size);
        DWORD written = 0;
        if (!::WriteFile(temp_.get(), data, chunk, &written, nullptr) || written == 0) {
            ThrowSystemError("Cannot write", tempPath_, ::GetLastError());
        }
        data += written;
        size -= written;
    }
}

void AtomicFile::Commit() {
    if (!::FlushFileBuffers(temp_.get())) {
        ThrowSystemError("Cannot flush", tempPath_, ::GetLastError());
    }
    temp_.reset();
    if (!::MoveFileExA(tempPath_.c_str(), path_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ThrowSystemError("Cannot replace", path_, ::GetLastError());
    }
    committed_ = true;
}
