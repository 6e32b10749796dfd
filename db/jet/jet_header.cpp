#include "db/jet/jet_header.h"

#include "db/jet/rc4_stream.h"

#include <cstring>
#include <vector>

namespace {

constexpr size_t kSignatureLength = 20;
constexpr uint8_t kMagic[4] = {0x00, 0x01, 0x00, 0x00};
constexpr char kJetName[] = "Standard Jet DB";
constexpr char kAceName[] = "Standard ACE DB";
constexpr size_t kNameAt = 4;
constexpr size_t kVersionAt = 0x14;
constexpr size_t kMaskedAt = 0x18;
constexpr size_t kCodePageAt = 0x3C;
constexpr size_t kPasswordAt = 0x42;
constexpr size_t kCreatedAt = 0x72;

bool NameIs(const uint8_t* head, const char* name) {
    return std::memcmp(head + kNameAt, name, std::strlen(name) + 1) == 0;
}

bool HasMagic(const uint8_t* head) {
    return std::memcmp(head, kMagic, sizeof kMagic) == 0;
}

bool PasswordSet(const JetFormat& format, ByteSpan page) {
    if (!format.jet4) {
        for (size_t i = 0; i < 20; ++i) {
            if (page.U8(kPasswordAt + i) != 0) {
                return true;
            }
        }
        return false;
    }
    // Jet 4 XORs each four bytes of the password with the whole days of the
    // creation date, so an empty password reads as that number repeated.
    double created = page.F64(kCreatedAt);
    uint32_t mask = created >= 0 && created < 4294967296.0 ? static_cast<uint32_t>(created) : 0;
    for (size_t i = 0; i < 40; i += 4) {
        if ((page.U32(kPasswordAt + i) ^ mask) != 0) {
            return true;
        }
    }
    return false;
}

} // namespace

bool HasJetSignature(const std::string& path) {
    try {
        JetFile file(path);
        uint8_t head[kSignatureLength];
        if (file.size() < sizeof head) {
            return false;
        }
        file.Read(0, head, sizeof head);
        return HasMagic(head) && (NameIs(head, kJetName) || NameIs(head, kAceName));
    } catch (const JetError&) {
        return false;
    }
}

JetHeader ReadJetHeader(const JetFile& file) {
    uint8_t head[kSignatureLength + 4];
    if (file.size() < sizeof head) {
        throw JetError("The file is too short to be a Jet database.");
    }
    file.Read(0, head, sizeof head);
    if (!HasMagic(head) || (!NameIs(head, kJetName) && !NameIs(head, kAceName))) {
        throw JetError("The file is not a Jet database.");
    }
    uint8_t version = head[kVersionAt];
    if (NameIs(head, kAceName) || version > 1) {
        throw JetNotSupported("The file is an Access 2007 or later database (\"Standard ACE "
                              "DB\"), whose format is not supported; only Jet 3 and Jet 4 "
                              "databases (Access 97 to 2003) can be read.");
    }
    JetHeader header;
    header.format = version == 0 ? &JetFormat::Jet3() : &JetFormat::Jet4();
    uint32_t pageSize = header.format->pageSize;
    if (file.size() < pageSize * 3ull || file.size() % pageSize != 0) {
        throw JetError("The file's length is not a whole number of pages; it is damaged or "
                       "incomplete.");
    }
    if (file.size() / pageSize > 0xFFFFFFull) {
        throw JetError("The file is larger than a Jet database can be.");
    }
    header.pageCount = static_cast<uint32_t>(file.size() / pageSize);
    std::vector<uint8_t> page(pageSize);
    file.Read(0, page.data(), page.size());
    static const uint8_t kKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
    Rc4Xor(kKey, sizeof kKey, page.data() + kMaskedAt, header.format->jet4 ? 128 : 126);
    ByteSpan view(page.data(), page.size());
    header.codePage = view.U16(kCodePageAt);
    header.hasPassword = PasswordSet(*header.format, view);
    return header;
}
