#include "testhost/mailstore/file_writer.h"

#include "testhost/mailstore/store_error.h"

#include <utility>

FileWriter::FileWriter(std::string path)
    : path_(std::move(path)),
      file_(::CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!file_) {
        ThrowSystemError("Cannot open", path_, ::GetLastError());
    }
}

uint64_t FileWriter::Size() const {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file_.get(), &size)) {
        ThrowSystemError("Cannot read the size of", path_, ::GetLastError());
    }
    return static_cast<uint64_t>(size.QuadPart);
}

void FileWriter::MoveTo(uint64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN)) {
        ThrowSystemError("Cannot seek in", path_, ::GetLastError());
    }
}

void FileWriter::WriteAt(uint64_t offset, std::string_view bytes) {
    MoveTo(offset);
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(left > (1u << 20) ? (1u << 20) : left);
        DWORD written = 0;
        if (!::WriteFile(file_.get(), data, chunk, &written, nullptr) || written == 0) {
            ThrowSystemError("Cannot write", path_, ::GetLastError());
        }
        data += written;
        left -= written;
    }
}

void FileWriter::SetEnd(uint64_t size) {
    MoveTo(size);
    if (!::SetEndOfFile(file_.get())) {
        ThrowSystemError("Cannot shorten", path_, ::GetLastError());
    }
}

void FileWriter::Flush() {
    if (!::FlushFileBuffers(file_.get())) {
        ThrowSystemError("Cannot flush", path_, ::GetLastError());
    }
}
