#include "testhost/mailstore/disk_file.h"

#include "testhost/mailstore/store_error.h"

#include <algorithm>

namespace {

uint64_t Combine(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

} // namespace

FileStamp ReadFileStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return FileStamp();
    }
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
    stamp.lastWrite =
        Combine(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    return stamp;
}

DiskFile::DiskFile(const std::string& path)
    : path_(path), handle_(::CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!handle_) {
        ThrowSystemError("Cannot open", path_, ::GetLastError());
    }
}

FileStamp DiskFile::Stamp() const {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle_.get(), &info)) {
        ThrowSystemError("Cannot read the size of", path_, ::GetLastError());
    }
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = Combine(info.nFileSizeHigh, info.nFileSizeLow);
    stamp.lastWrite =
        Combine(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    return stamp;
}

size_t DiskFile::ReadSome(uint64_t offset, char* buffer, size_t count) const {
    size_t done = 0;
    while (done < count) {
        OVERLAPPED at = {};
        const uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 20));
        DWORD got = 0;
        if (!::ReadFile(handle_.get(), buffer + done, chunk, &got, &at)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                break;
            }
            ThrowSystemError("Cannot read", path_, error);
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

std::string DiskFile::ReadAt(uint64_t offset, size_t count) const {
    std::string bytes(count, '\0');
    if (ReadSome(offset, bytes.data(), count) != count) {
        throw StoreError("Cannot read " + path_ + ": it ends before byte " +
                         std::to_string(offset + count));
    }
    return bytes;
}
