// The Jet file for the native fuzz build, through the C library; the handle
// is the FILE it reads.
#include "db/jet/jet_file.h"

#include "db/jet/jet_error.h"

#include <cstdio>

namespace {

std::FILE* Stream(HANDLE handle) {
    return static_cast<std::FILE*>(handle);
}

} // namespace

JetFile::JetFile(const std::string& path) : handle_(std::fopen(path.c_str(), "rb")) {
    if (handle_ == nullptr) {
        throw JetError("The file '" + path + "' cannot be opened for reading.");
    }
    if (std::fseek(Stream(handle_), 0, SEEK_END) != 0) {
        std::fclose(Stream(handle_));
        throw JetError("The size of '" + path + "' cannot be read.");
    }
    size_ = static_cast<uint64_t>(std::ftell(Stream(handle_)));
}

JetFile::~JetFile() {
    std::fclose(Stream(handle_));
}

void JetFile::Read(uint64_t offset, uint8_t* into, size_t length) const {
    if (offset > size_ || length > size_ - offset) {
        throw JetError("a page lies past the end of the file");
    }
    if (std::fseek(Stream(handle_), static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fread(into, 1, length, Stream(handle_)) != length) {
        throw JetError("the file cannot be read");
    }
}
