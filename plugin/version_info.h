#pragma once

#include "base/plugin_context.h"
#include "base/win32.h"

#include <cstdint>
#include <string>
#include <vector>

// Reads the string table of a file's version resource.
class VersionInfoReader {
public:
    bool Load(const std::string& path);
    // `translation` is language << 16 | code page; 0 means the file's own.
    std::string GetString(const std::string& key, uint32_t translation = 0) const;
    void Release();

    uint32_t Translation() const { return translation_; }
    std::string ProductName() const { return GetString("ProductName"); }
    std::string ProductVersion() const { return GetString("ProductVersion"); }
    std::string LegalNotice() const { return GetString("LegalCopyright"); }

private:
    std::vector<char> block_;
    uint32_t translation_ = 0;
};

// "2, 2, 0, 1" -> "2.2.0.1". Numbers that cannot be read count as 0.
std::string DisplayVersion(const std::string& productVersion);

// Product name, display version and legal notice from the version resource
// of the module file; all three stay empty when it has none.
void ReadProductInformation(PluginContext& context);
