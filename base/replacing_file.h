// A file written in full beside its place and only then put there, so that
// a failed write (a full disk, a folder that refuses it) leaves no partial
// file behind, and an earlier file of that name stays as it was until the
// new one is whole.
#pragma once

#include "base/unique_resource.h"

#include <string>

class ReplacingFile {
public:
    // Nothing is made yet; see Open.
    explicit ReplacingFile(std::string path) : path_(std::move(path)) {}
    // Removes the temporary file unless Commit put it in place.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Each gives false, with the platform's reason in error(), once
    // anything has failed.
    bool Open();
    bool Write(const std::string& bytes);
    // Flushed, closed and moved into place.
    bool Commit();

    const std::string& error() const { return error_; }

private:
    bool Fail();

    std::string path_;
    std::string temporary_;
    UniqueFile file_;
    std::string error_;
    bool committed_ = false;
};
