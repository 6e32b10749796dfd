// A file changed in place: bytes written at given offsets, its end moved,
// its writes flushed to disk.
#pragma once

#include "base/unique_resource.h"

#include <cstdint>
#include <string>
#include <string_view>

class FileWriter {
public:
    // Opens an existing file. Readers keep reading, and renames over the
    // file stay possible, while it is open. StoreError when it cannot be
    // opened.
    explicit FileWriter(std::string path);

    uint64_t Size() const;
    void WriteAt(uint64_t offset, std::string_view bytes);
    void SetEnd(uint64_t size);
    void Flush();

private:
    void MoveTo(uint64_t offset);

    std::string path_;
    UniqueFile file_;
};
