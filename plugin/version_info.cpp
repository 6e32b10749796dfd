#include "plugin/version_info.h"

#include <cstdio>
#include <cstdlib>

bool VersionInfoReader::Load(const std::string& path) {
    Release();
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return false;
    }
    block_.assign(size, '\0');
    void* entry = nullptr;
    UINT entrySize = 0;
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block_.data()) ||
        !::VerQueryValueA(block_.data(), "\\VarFileInfo\\Translation", &entry, &entrySize) ||
        entrySize < sizeof(DWORD)) {
        Release();
        return false;
    }
    // Stored as two 16-bit words, language first; the string table is
    // named with the language in the high half.
    DWORD raw = *static_cast<const DWORD*>(entry);
    translation_ = (raw << 16) | (raw >> 16);
    return true;
}

std::string VersionInfoReader::GetString(const std::string& key, uint32_t translation) const {
    if (block_.empty()) {
        return std::string();
    }
    char path[256];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%08lx\\%s",
                  static_cast<unsigned long>(translation ? translation : translation_),
                  key.c_str());
    void* value = nullptr;
    UINT length = 0;
    // The const_cast is the platform's: the query never writes to the block.
    if (!::VerQueryValueA(const_cast<char*>(block_.data()), path, &value, &length) || !value) {
        return std::string();
    }
    return std::string(static_cast<const char*>(value));
}

void VersionInfoReader::Release() {
    block_.clear();
    block_.shrink_to_fit();
    translation_ = 0;
}

std::string DisplayVersion(const std::string& productVersion) {
    const char* cursor = productVersion.c_str();
    std::string text;
    for (int i = 0; i < 4; ++i) {
        long number = 0;
        if (*cursor) {
            char* end = nullptr;
            number = std::strtol(cursor, &end, 10);
            cursor = end;
            while (*cursor && *cursor != ',') {
                ++cursor;
            }
            if (*cursor == ',') {
                ++cursor;
            }
        }
        if (i > 0) {
            text += '.';
        }
        text += std::to_string(number);
    }
    return text;
}

void ReadProductInformation(PluginContext& context) {
    context.productName.clear();
    context.versionText.clear();
    context.legalNotice.clear();
    VersionInfoReader reader;
    if (!reader.Load(context.modulePath)) {
        return;
    }
    context.productName = reader.ProductName();
    context.versionText = DisplayVersion(reader.ProductVersion());
    context.legalNotice = reader.LegalNotice();
}
