#include "base/file_utils.h"

#include "base/message_box.h"
#include "base/system_error.h"
#include "base/unique_resource.h"

#include <algorithm>
#include <cstring>

namespace {

bool WriteAll(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

UniqueFile OpenForWriting(const std::string& path, DWORD disposition) {
    return UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

bool FileExists(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    WIN32_FIND_DATAA found;
    UniqueFind search(::FindFirstFileA(path.c_str(), &found));
    return search.valid();
}

bool IsDirectory(const std::string& path) {
    if (path.size() <= 3) {
        return false;
    }
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string DirectoryOf(const std::string& path) {
    std::string::size_type end = path.find_last_not_of('\\');
    if (end == std::string::npos) {
        return std::string();
    }
    std::string trimmed = path.substr(0, end + 1);
    std::string::size_type slash = trimmed.rfind('\\');
    return slash == std::string::npos ? std::string() : trimmed.substr(0, slash);
}

std::string FileNameOf(const std::string& path, bool keepExtension) {
    std::string::size_type slash = path.rfind('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!keepExtension) {
        std::string::size_type dot = name.rfind('.');
        if (dot != std::string::npos) {
            name.erase(dot);
        }
    }
    return name;
}

std::string SanitizeFileName(const std::string& text) {
    static const char kForbidden[] = "\\/:*?!\"'<>|";
    std::string name;
    name.reserve(text.size());
    for (char c : text) {
        // strchr also finds the terminator, so a zero byte is dropped too.
        if (::IsCharAlphaNumericA(c) || std::strchr(kForbidden, c) == nullptr) {
            name += c;
        }
    }
    if (name.size() >= 256) {
        name.resize(255);
    }
    if (name.empty()) {
        name = "file";
    }
    return name;
}

std::string MakeFilePath(const std::string& directory, const std::string& name,
                         const std::string& extension, bool unique, bool leaveUncreated) {
    std::string base = SanitizeFileName(name);
    if (!IsDirectory(directory) && !::CreateDirectoryA(directory.c_str(), nullptr)) {
        return std::string();
    }
    std::string path = directory + "\\" + base + "." + extension;
    if (unique) {
        // The digits accumulate on the previous base (name, name1, name12, ...):
        // files already named that way by earlier runs stay where they are.
        for (int count = 1; FileExists(path); ++count) {
            base += std::to_string(count);
            path = directory + "\\" + base + "." + extension;
        }
    }
    if (!leaveUncreated && !CreateEmptyFile(path)) {
        return std::string();
    }
    return path;
}

bool CreateEmptyFile(const std::string& path) {
    return OpenForWriting(path, CREATE_ALWAYS).valid();
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    UniqueFile file = OpenForWriting(path, CREATE_ALWAYS);
    if (!file) {
        return false;
    }
    // A short write (a full disk) must not pass for a saved page or log.
    return WriteAll(file.get(), text.data(), text.size());
}

std::string ReadWholeFile(const std::string& path) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD error = ::GetLastError();
        ShowStandardErrorBox("Cannot open the file " + path + ".\n" + SystemMessageText(error));
        return std::string();
    }
    std::string content;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        content.append(buffer, got);
    }
    std::string::size_type zero = content.find('\0');
    if (zero != std::string::npos) {
        content.erase(zero);
    }
    return content;
}

bool AppendLine(const std::string& path, const std::string& text) {
    if (!FileExists(path) && !CreateEmptyFile(path)) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    // Text-mode output: every LF becomes CR LF, whatever precedes it.
    std::string line;
    line.reserve(text.size() + text.size() / 32 + 2);
    for (char c : text + "\n") {
        if (c == '\n') {
            line += '\r';
        }
        line += c;
    }
    if (::SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        ::GetLastError() != NO_ERROR) {
        return false;
    }
    return WriteAll(file.get(), line.data(), line.size());
}

std::string TempDirectory() {
    char buffer[MAX_PATH] = {};
    DWORD length = ::GetTempPathA(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH) {
        return std::string();
    }
    std::string directory(buffer, length);
    if (!directory.empty() && directory.back() == '\\') {
        directory.pop_back();
    }
    return directory;
}

int SplitText(const std::string& text, char separator, std::vector<std::string>& parts) {
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type at = text.find(separator, start);
        if (at == std::string::npos) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    return static_cast<int>(parts.size());
}

std::string TrimWhiteSpace(const std::string& text) {
    static const char kWhite[] = " \t\r\n\v\f";
    std::string::size_type first = text.find_first_not_of(kWhite);
    if (first == std::string::npos) {
        return std::string();
    }
    std::string::size_type last = text.find_last_not_of(kWhite);
    return text.substr(first, last - first + 1);
}

std::string FirstSlashWord(const std::string& text) {
    // The word around the first "/" is the first word holding one. Called
    // for every row of a sort by date, so no list of words is made.
    const std::string::size_type slash = text.find('/');
    if (slash == std::string::npos) {
        return std::string();
    }
    const std::string::size_type before = text.rfind(' ', slash);
    const std::string::size_type start = before == std::string::npos ? 0 : before + 1;
    const std::string::size_type end = std::min(text.find(' ', slash), text.size());
    return TrimWhiteSpace(text.substr(start, end - start));
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) {
        return;
    }
    std::string result;
    std::string::size_type start = 0;
    for (std::string::size_type found = text.find(from); found != std::string::npos;
         found = text.find(from, start)) {
        result.append(text, start, found - start);
        result += to;
        start = found + from.size();
    }
    if (start == 0) {
        return;
    }
    result.append(text, start, std::string::npos);
    text.swap(result);
}

bool SamePathIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    std::string upperA = a;
    std::string upperB = b;
    if (!a.empty()) {
        ::CharUpperBuffA(&upperA[0], static_cast<DWORD>(upperA.size()));
        ::CharUpperBuffA(&upperB[0], static_cast<DWORD>(upperB.size()));
    }
    return upperA == upperB;
}

std::string WithoutTrailingBackslashes(std::string path) {
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    return path;
}
