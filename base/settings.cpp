#include "base/settings.h"

#include "base/win32.h"

#include <cstdlib>

static_assert(sizeof(long) == sizeof(int), "ReadInt relies on strtol saturating at the int range");

std::string ReadText(const std::string& section, const std::string& key,
                     const std::string& defaultText, const std::string& file) {
    char buffer[kMaxSettingTextLength + 1] = {};
    DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(),
                                              buffer, sizeof buffer, file.c_str());
    return std::string(buffer, length);
}

int ReadInt(const std::string& section, const std::string& key, int defaultValue,
            const std::string& file) {
    const std::string text = ReadText(section, key, std::to_string(defaultValue), file);
    // long is the int range on this platform, and strtol saturates at it.
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

void WriteText(const std::string& section, const std::string& key, const std::string& value,
               const std::string& file) {
    // A line break inside a value would end it early and let the rest of the
    // text be read back as keys and sections of its own.
    std::string oneLine = value;
    for (char& c : oneLine) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    ::WritePrivateProfileStringA(section.c_str(), key.c_str(), oneLine.c_str(), file.c_str());
}

void WriteInt(const std::string& section, const std::string& key, int value,
              const std::string& file) {
    WriteText(section, key, std::to_string(value), file);
}
