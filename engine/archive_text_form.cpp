#include "engine/archive_text_form.h"

#include "plugin/ansi_text.h"
#include "plugin/win32.h"

namespace {

std::string Convert(UINT codePage, DWORD flags, const std::wstring& text, BOOL* lossy) {
    if (text.empty()) {
        return std::string();
    }
    int length = static_cast<int>(text.size());
    int size =
        WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, lossy);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(codePage, flags, text.data(), length, &out[0], size, nullptr, lossy);
    }
    return out;
}

} // namespace

StoredText StoredFormOf(const std::wstring& text) {
    BOOL lossy = FALSE;
    std::string ansi = Convert(CP_ACP, WC_NO_BEST_FIT_CHARS, text, &lossy);
    StoredText stored;
    if (!lossy && WideFromAnsi(ansi) == text) {
        std::string utf8;
        if (AnsiToUtf8Exact(ansi, utf8)) {
            stored.bytes = std::move(utf8);
        } else {
            stored.blob = true;
            stored.bytes = std::move(ansi);
        }
        return stored;
    }
    stored.bytes = Convert(CP_UTF8, 0, text, nullptr);
    return stored;
}
