#include "mailbox/mailbox_index_count.h"

#include "base/unique_resource.h"

namespace {
constexpr DWORD kHeaderSize = 104;
constexpr DWORD kCountOffset = 102;
} // namespace

int MailboxIndexCount(const std::string& mbxPath) {
    if (mbxPath.size() < 3) {
        return -1;
    }
    const std::string tocPath = mbxPath.substr(0, mbxPath.size() - 3) + "toc";
    const UniqueFile file(::CreateFileA(tocPath.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return -1;
    }
    unsigned char header[kHeaderSize] = {};
    DWORD read = 0;
    if (!::ReadFile(file.get(), header, kHeaderSize, &read, nullptr) || read < kHeaderSize) {
        return -1;
    }
    return header[kCountOffset] | (header[kCountOffset + 1] << 8);
}
