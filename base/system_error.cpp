#include "base/system_error.h"

#include "base/file_utils.h"

std::string SystemMessageText(DWORD error) {
    char* buffer = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : std::string();
    if (buffer) {
        ::LocalFree(buffer);
    }
    return TrimWhiteSpace(text);
}
