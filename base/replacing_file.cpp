#include "base/replacing_file.h"

#include "base/system_error.h"

#include <algorithm>
#include <limits>

ReplacingFile::~ReplacingFile() {
    file_.reset();
    if (!committed_ && !temporary_.empty()) {
        ::DeleteFileA(temporary_.c_str());
    }
}

bool ReplacingFile::Fail() {
    const DWORD code = ::GetLastError();
    if (error_.empty()) {
        error_ = SystemMessageText(code);
        if (error_.empty()) {
            error_ = "Error " + std::to_string(code) + ".";
        }
    }
    return false;
}

bool ReplacingFile::Open() {
    // Beside the file, so that the move into place is a rename on one drive.
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_ = path_ + "." + std::to_string(::GetCurrentProcessId()) + "-" +
                     std::to_string(attempt) + ".tmp";
        file_.reset(::CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_ && ::GetLastError() != ERROR_FILE_EXISTS) {
            temporary_.clear();
            return Fail();
        }
    }
    if (!file_) {
        temporary_.clear();
        return Fail();
    }
    return true;
}

bool ReplacingFile::Write(const std::string& bytes) {
    if (!file_ || !error_.empty()) {
        return false;
    }
    size_t at = 0;
    while (at < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(
            std::min<size_t>(bytes.size() - at, std::numeric_limits<DWORD>::max() / 2));
        DWORD written = 0;
        if (!::WriteFile(file_.get(), bytes.data() + at, chunk, &written, nullptr) ||
            written == 0) {
            return Fail();
        }
        at += written;
    }
    return true;
}

bool ReplacingFile::Commit() {
    if (!file_ || !error_.empty()) {
        return false;
    }
    if (!::FlushFileBuffers(file_.get())) {
        return Fail();
    }
    file_.reset();
    if (!::MoveFileExA(temporary_.c_str(), path_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Fail();
    }
    committed_ = true;
    return true;
}
