#include "base/mime_charsets.h"

#include "base/com_ptr.h"
#include "base/com_variant.h"

#include <mlang.h>
#include <objbase.h>

namespace {

// MinGW's uuid library lacks this one.
const IID kIidMultiLanguage2 = {
    0xdccfc164, 0x2b38, 0x11d2, {0xb7, 0xec, 0x00, 0xc0, 0x4f, 0x8f, 0x5d, 0x9a}};

// COM for as long as the charset lookups need it; a thread that already has
// it (the plug-in's entry points, in either apartment) keeps it unchanged.
class ComScope {
public:
    ComScope() noexcept : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

} // namespace

class MimeCharsets::Platform {
public:
    Platform() {
        ::CoCreateInstance(CLSID_CMultiLanguage, nullptr, CLSCTX_INPROC_SERVER, kIidMultiLanguage2,
                           multiLanguage_.putVoid());
    }

    UINT InternetCodePage(const std::string& charset) {
        if (!multiLanguage_) {
            return 0;
        }
        Bstr name(charset);
        MIMECSETINFO info = {};
        if (!name.get() || FAILED(multiLanguage_->GetCharsetInfo(name.get(), &info))) {
            return 0;
        }
        // uiCodePage is the charset's Windows family ("iso-8859-2" gives
        // 1250, which orders some letters differently); the internet
        // encoding is the charset itself.
        return info.uiInternetEncoding;
    }

private:
    // The MLang object must be released while COM is still up.
    ComScope com_;
    ComPtr<IMultiLanguage2> multiLanguage_;
};

MimeCharsets::MimeCharsets() = default;
MimeCharsets::~MimeCharsets() = default;

UINT MimeCharsets::InternetCodePage(const std::string& charset) {
    if (!platform_) {
        platform_ = std::make_unique<Platform>();
    }
    return platform_->InternetCodePage(charset);
}
