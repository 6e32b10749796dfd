#include "testhost/mailstore/mailbox_bytes.h"

#include "plugin/unique_resource.h"
#include "testhost/mailstore/store_error.h"

namespace {

// Readers keep reading, and renames over the file stay possible, while it
// is open here.
UniqueFile OpenForWriting(const std::string& path) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ThrowSystemError("Cannot open", path, ::GetLastError());
    }
    return file;
}

void MoveTo(const UniqueFile& file, const std::string& path, uint64_t at) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(at);
    if (!::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) {
        ThrowSystemError("Cannot seek in", path, ::GetLastError());
    }
}

} // namespace

void AppendToMailboxFile(const std::string& path, uint64_t at, const std::string& bytes) {
    UniqueFile file = OpenForWriting(path);
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || static_cast<uint64_t>(size.QuadPart) != at) {
        throw StoreError("Cannot append to " + path + ": it changed on disk since it was loaded");
    }
    MoveTo(file, path, at);
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(left > (1u << 20) ? (1u << 20) : left);
        DWORD written = 0;
        if (!::WriteFile(file.get(), data, chunk, &written, nullptr) || written == 0) {
            const DWORD error = ::GetLastError();
            // Nothing of a failed append stays behind.
            MoveTo(file, path, at);
            ::SetEndOfFile(file.get());
            ThrowSystemError("Cannot write", path, error);
        }
        data += written;
        left -= written;
    }
    if (!::FlushFileBuffers(file.get())) {
        ThrowSystemError("Cannot flush", path, ::GetLastError());
    }
}

void TruncateMailboxFile(const std::string& path, uint64_t size) {
    UniqueFile file = OpenForWriting(path);
    MoveTo(file, path, size);
    if (!::SetEndOfFile(file.get()) || !::FlushFileBuffers(file.get())) {
        ThrowSystemError("Cannot shorten", path, ::GetLastError());
    }
}
