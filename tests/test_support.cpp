#include "tests/test_support.h"

#include "base/file_utils.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

TempFolder::TempFolder() {
    static std::atomic<int> serial{0};
    for (;;) {
        path_ = TempDirectory() + "\\stowlark-test-" + std::to_string(::GetCurrentProcessId()) +
                "-" + std::to_string(++serial);
        if (::CreateDirectoryA(path_.c_str(), nullptr)) {
            break;
        }
    }
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

std::string EveryByteButZero() {
    std::string bytes;
    for (int byte = 1; byte <= 0xFF; ++byte) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(path.c_str());
}

std::string WinePath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return path;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

MessageBoxCapture::MessageBoxCapture() {
    previous_ = App().SetMessageBoxSink(
        [this](HWND, const std::string& text, const std::string& caption, UINT type) {
            boxes_.push_back({text, caption, type});
            return IDOK;
        });
}

MessageBoxCapture::~MessageBoxCapture() {
    App().SetMessageBoxSink(previous_);
}

ShellLaunchCapture::ShellLaunchCapture() {
    previous_ = App().SetShellLaunchSink([this](ShellLaunch kind, const std::string& target) {
        launches_.push_back({kind, target});
        return true;
    });
}

ShellLaunchCapture::~ShellLaunchCapture() {
    App().SetShellLaunchSink(previous_);
}

std::string NumberedLines(const char* format, int count) {
    std::string text;
    char line[128];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, format, i);
        text += line;
    }
    return text;
}
