#include "db/jet/jet_file.h"

JetFile::JetFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
    if (handle_ == INVALID_HANDLE_VALUE) {
        throw JetError("The file '" + path + "' cannot be opened for reading.");
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) {
        CloseHandle(handle_);
        throw JetError("The size of '" + path + "' cannot be read.");
    }
    size_ = static_cast<uint64_t>(size.QuadPart);
}

JetFile::~JetFile() {
    CloseHandle(handle_);
}

void JetFile::Read(uint64_t offset, uint8_t* into, size_t length) const {
    if (offset > size_ || length > size_ - offset) {
        throw JetError("a page lies past the end of the file");
    }
    // Not an OVERLAPPED offset: under Wine that makes every read a round
    // trip to the server, many times the cost of the read itself.
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD done = 0;
    if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) ||
        !ReadFile(handle_, into, static_cast<DWORD>(length), &done, nullptr) || done != length) {
        throw JetError("the file cannot be read");
    }
}
