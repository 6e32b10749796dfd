#include "db/jet/jet_text.h"

#include "base/code_pages.h"

namespace {

// One UTF-16 code unit to each wchar_t, whatever its size where this is built.
std::wstring FromUtf16(ByteSpan bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    const uint8_t* data = bytes.data();
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    return text;
}

std::wstring FromCodePage(ByteSpan bytes, UINT codePage) {
    if (bytes.size() == 0) {
        return std::wstring();
    }
    const char* data = reinterpret_cast<const char*>(bytes.data());
    int length = static_cast<int>(bytes.size());
    int wide = WideFromCodePage(codePage, 0, data, length, nullptr, 0);
    if (wide <= 0) {
        // An unknown code page number: Access's own default reads most files.
        codePage = 1252;
        wide = WideFromCodePage(codePage, 0, data, length, nullptr, 0);
    }
    std::wstring text(static_cast<size_t>(wide > 0 ? wide : 0), L'\0');
    if (wide > 0) {
        WideFromCodePage(codePage, 0, data, length, &text[0], wide);
    }
    return text;
}

} // namespace

std::wstring DecompressUnicode(ByteSpan bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    bool single = true;
    size_t at = 2;
    while (at < bytes.size()) {
        uint8_t byte = bytes.U8(at);
        if (byte == 0) {
            single = !single;
            ++at;
        } else if (single) {
            text.push_back(static_cast<wchar_t>(byte));
            ++at;
        } else if (at + 1 < bytes.size()) {
            text.push_back(static_cast<wchar_t>(bytes.U16(at)));
            at += 2;
        } else {
            break;
        }
    }
    return text;
}

std::wstring DecodeJetText(ByteSpan bytes, const JetHeader& header) {
    if (!header.format->jet4) {
        return FromCodePage(bytes, header.codePage);
    }
    if (bytes.size() >= 2 && bytes.U8(0) == 0xFF && bytes.U8(1) == 0xFE) {
        return DecompressUnicode(bytes);
    }
    return FromUtf16(bytes);
}
