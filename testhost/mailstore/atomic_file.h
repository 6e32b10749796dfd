// Replacing a file so that a crash at any moment leaves either the old or the
// new content under its name: the new bytes go to a temporary file beside it,
// which is flushed and then renamed over the old one.
#pragma once

#include "base/unique_resource.h"

#include <string>

class AtomicFile {
public:
    // StoreError when the temporary file cannot be created.
    explicit AtomicFile(std::string path);
    // Without Commit the old file stays as it was and the temporary is removed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(const char* data, size_t size);
    void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }
    // Makes the new content the file's; StoreError, with the old file intact,
    // when it cannot.
    void Commit();

private:
    std::string path_;
    std::string tempPath_;
    UniqueFile temp_;
    bool committed_ = false;
};
