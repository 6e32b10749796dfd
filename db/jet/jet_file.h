// The Jet file, opened for reading only: the reader must never be able to
// change the file it converts, whatever happens.
#pragma once

#include "db/jet/byte_span.h"
#include "base/win32.h"

#include <cstdint>
#include <string>
#include <vector>

class JetFile {
public:
    // Throws JetError when the file cannot be opened.
    explicit JetFile(const std::string& path);
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    uint64_t size() const { return size_; }
    // Reads `length` bytes at `offset`; throws JetError when they are not all
    // in the file. It moves the file's pointer, so one thread at a time.
    void Read(uint64_t offset, uint8_t* into, size_t length) const;

private:
    HANDLE handle_;
    uint64_t size_ = 0;
};
