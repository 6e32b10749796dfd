#include "db/attachment_files.h"

#include "base/ansi_text.h"
#include "base/file_utils.h"
#include "base/system_error.h"

namespace {

uint64_t FromFileTime(const FILETIME& time) {
    return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

bool Failed(std::string& reason) {
    reason = SystemReason(::GetLastError());
    return false;
}

bool MakeFolders(const std::string& folder, std::string& error) {
    if (folder.empty()) {
        return true;
    }
    const std::wstring wide = WideFromAnsi(folder);
    if (::CreateDirectoryW(wide.c_str(), nullptr)) {
        return true;
    }
    DWORD code = ::GetLastError();
    const std::string parent = DirectoryOf(folder);
    if (code == ERROR_PATH_NOT_FOUND && !parent.empty() && parent.size() < folder.size()) {
        if (!MakeFolders(parent, error)) {
            return false;
        }
        if (::CreateDirectoryW(wide.c_str(), nullptr)) {
            return true;
        }
        code = ::GetLastError();
    }
    if (code == ERROR_ALREADY_EXISTS) {
        return true;
    }
    error = SystemReason(code);
    return false;
}

// Distinct enough between processes and calls; CREATE_NEW settles the rest.
std::string TemporaryName(unsigned attempt) {
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    uint64_t mixed = static_cast<uint64_t>(counter.QuadPart) ^
                     (uint64_t{::GetCurrentProcessId()} << 32) ^ (uint64_t{attempt} << 16);
    mixed ^= mixed >> 33;
    mixed *= 0xff51afd7ed558ccdULL;
    mixed ^= mixed >> 33;
    char name[32];
    ::wsprintfA(name, "~stowlark-%08lx.tmp", static_cast<unsigned long>(mixed));
    return name;
}

} // namespace

std::string SystemReason(DWORD code) {
    std::string text = SystemMessageText(code);
    return text.empty() ? "Error " + std::to_string(code) + "." : text;
}

SourceFile::Open SourceFile::OpenAt(const std::string& path, std::string& reason) {
    const std::wstring wide = WideFromAnsi(path);
    // The device namespace names no file a message can hold.
    if (path.compare(0, 4, "\\\\.\\") == 0) {
        reason = "it is not a file";
        return Open::kRefused;
    }
    const DWORD attributes =
        wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return Open::kFolder;
    }
    file_.reset(::CreateFileW(wide.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file_) {
        // A pipe or a device would be read without end or with side effects.
        if (::GetFileType(file_.get()) != FILE_TYPE_DISK) {
            file_.reset();
            reason = "it is not a file";
            return Open::kRefused;
        }
        return Open::kOpened;
    }
    const DWORD code = wide.empty() ? ERROR_FILE_NOT_FOUND : ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
        code == ERROR_INVALID_NAME) {
        return Open::kMissing;
    }
    reason = SystemReason(code);
    return Open::kRefused;
}

bool SourceFile::State(FileState& state, std::string& reason) const {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file_.get(), &information)) {
        return Failed(reason);
    }
    state.size = static_cast<long long>((uint64_t{information.nFileSizeHigh} << 32) |
                                        information.nFileSizeLow);
    state.modified = FromFileTime(information.ftLastWriteTime);
    return true;
}

bool SourceFile::Read(char* buffer, size_t size, size_t& got, std::string& reason) {
    DWORD read = 0;
    if (!::ReadFile(file_.get(), buffer, static_cast<DWORD>(size), &read, nullptr)) {
        return Failed(reason);
    }
    got = read;
    return true;
}

bool SourceFile::Rewind(std::string& reason) {
    LARGE_INTEGER start{};
    return ::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) ? true : Failed(reason);
}

NewFile::~NewFile() {
    file_.reset();
    if (!temporary_.empty()) {
        ::DeleteFileW(temporary_.c_str());
    }
}

bool NewFile::Open(bool makeFolders, std::string& error) {
    const std::string folder = DirectoryOf(path_);
    if (makeFolders && !MakeFolders(folder, error)) {
        return false;
    }
    const std::string prefix = folder.empty() ? std::string() : folder + "\\";
    DWORD code = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < 100 && code == ERROR_FILE_EXISTS; ++attempt) {
        std::wstring name = WideFromAnsi(prefix + TemporaryName(attempt));
        file_.reset(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file_) {
            temporary_ = std::move(name);
            return true;
        }
        code = ::GetLastError();
    }
    error = SystemReason(code);
    return false;
}

bool NewFile::Write(const char* bytes, size_t size, std::string& error) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(file_.get(), bytes, static_cast<DWORD>(size), &written, nullptr)) {
            return Failed(error);
        }
        if (written == 0) {
            error = SystemReason(ERROR_DISK_FULL);
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

NewFile::Place NewFile::Finish(uint64_t modified, std::string& error) {
    FILETIME time{static_cast<DWORD>(modified), static_cast<DWORD>(modified >> 32)};
    // The time last: every write before it would set it to now again.
    if (!::FlushFileBuffers(file_.get()) || !::SetFileTime(file_.get(), nullptr, nullptr, &time)) {
        Failed(error);
        return Place::kFailed;
    }
    file_.reset();
    const std::wstring path = WideFromAnsi(path_);
    if (!::MoveFileExW(temporary_.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
            return Place::kTaken;
        }
        error = SystemReason(code);
        return Place::kFailed;
    }
    temporary_.clear();
    return Place::kPlaced;
}
