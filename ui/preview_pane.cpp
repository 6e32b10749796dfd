#include "ui/preview_pane.h"

#include "base/ansi_text.h"
#include "base/guarded_call.h"

#include <commctrl.h>

namespace {

constexpr UINT_PTR kSubclassId = 1;
// The browser's navNoHistory: going from message to message is not browsing.
constexpr long kNoHistory = 2;

bool ContinuesCharacter(const std::string& text, size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

} // namespace

// An edit box shows a line break only where CR LF stands. It also lays out a
// line in time that grows with the square of its length (a line of 64 KB,
// as HTML mail may have, takes seconds), so a longer line is broken after
// its last space within the limit, or at the limit, never inside a UTF-8
// character.
std::string TextBoxForm(const std::string& text) {
    std::string result;
    result.reserve(text.size() + text.size() / 64);
    size_t lineStart = 0;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' && (i == 0 || text[i - 1] != '\r')) {
            result += '\r';
        }
        result += c;
        if (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            result += '\n';
        }
        if (c == '\r' || c == '\n') {
            lineStart = result.size();
        } else if (result.size() - lineStart >= kLongestTextBoxLine &&
                   !ContinuesCharacter(text, i + 1)) {
            const size_t space = result.rfind(' ', result.size() - 1);
            const size_t breakAt =
                space != std::string::npos && space >= lineStart ? space + 1 : result.size();
            result.insert(breakAt, "\r\n");
            lineStart = breakAt + 2;
        }
    }
    return result;
}

CPreviewPane::~CPreviewPane() {
    Close();
}

bool CPreviewPane::Attach(HWND parent, int controlId) {
    pane_ = ::GetDlgItem(parent, controlId);
    if (!pane_ ||
        !::SetWindowSubclass(pane_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        pane_ = nullptr;
        return false;
    }
    // The box inside is reached with Tab like any control of the window.
    ::SetWindowLongPtrA(pane_, GWL_EXSTYLE,
                        ::GetWindowLongPtrA(pane_, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    ::SetWindowLongPtrA(pane_, GWL_STYLE, ::GetWindowLongPtrA(pane_, GWL_STYLE) | WS_CLIPCHILDREN);
    RECT client = {};
    ::GetClientRect(pane_, &client);
    if (WebBrowserControl::HtmlEngineAvailable()) {
        auto browser = std::make_unique<WebBrowserControl>();
        if (browser->Create(pane_, client)) {
            browser_ = std::move(browser);
            return true;
        }
    }
    // A wide-character box shows a message of any script.
    textBox_.reset(::CreateWindowExW(
        0, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
            ES_AUTOVSCROLL | ES_NOHIDESEL,
        0, 0, client.right, client.bottom, pane_, nullptr,
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr));
    if (!textBox_) {
        return false;
    }
    ::SendMessageA(textBox_.get(), WM_SETFONT, ::SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);
    textBackground_.reset(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
    return true;
}

void CPreviewPane::Navigate(const std::string& address, const std::string& plainText) {
    ++navigations_;
    lastAddress_ = address;
    if (browser_) {
        browser_->Navigate(address, kNoHistory);
    } else if (textBox_) {
        ::SetWindowTextW(textBox_.get(), WideFromUtf8(TextBoxForm(plainText)).c_str());
    }
}

void CPreviewPane::Close() {
    browser_.reset();
    textBox_.reset();
    if (pane_) {
        ::RemoveWindowSubclass(pane_, SubclassProc, kSubclassId);
        pane_ = nullptr;
    }
}

bool CPreviewPane::TranslateKeyboard(MSG& message) const {
    if (!browser_ || !browser_->window()) {
        return false;
    }
    const HWND inside = browser_->window();
    if (message.hwnd != inside && !::IsChild(inside, message.hwnd)) {
        return false;
    }
    return browser_->TranslateKeyboard(message);
}

void CPreviewPane::Fit() const {
    RECT client = {};
    ::GetClientRect(pane_, &client);
    if (browser_) {
        browser_->SetRect(client);
    }
    if (textBox_) {
        ::MoveWindow(textBox_.get(), 0, 0, client.right, client.bottom, TRUE);
    }
}

LRESULT CALLBACK CPreviewPane::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR /*id*/, DWORD_PTR self) {
    auto* pane = reinterpret_cast<CPreviewPane*>(self);
    switch (message) {
    case WM_SIZE:
        RunGuarded([&] { pane->Fit(); });
        break;
    case WM_CTLCOLORSTATIC:
        // A read-only box asks as a static would; it reads as text on paper.
        if (pane->textBackground_ && reinterpret_cast<HWND>(lParam) == pane->textBox_.get()) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(pane->textBackground_.get());
        }
        break;
    case WM_NCDESTROY:
        // The box went with the pane; the control is let go while the pane
        // can still answer it.
        pane->textBox_.release();
        pane->browser_.reset();
        ::RemoveWindowSubclass(window, SubclassProc, kSubclassId);
        pane->pane_ = nullptr;
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}
