// The viewer's lower pane: the platform's web browser control showing the
// preview page, or, where the platform has no engine to draw pages, the same
// message as plain text in a read-only box.
#pragma once

#include "base/unique_resource.h"
#include "base/win32.h"
#include "ui/web_browser_control.h"

#include <memory>
#include <string>

// The UTF-8 text as the read-only box shows it: CR LF line breaks, and no
// line longer than kLongestTextBoxLine bytes (a few more to end a character).
constexpr size_t kLongestTextBoxLine = 1024;
std::string TextBoxForm(const std::string& text);

class CPreviewPane {
public:
    CPreviewPane() = default;
    ~CPreviewPane();
    CPreviewPane(const CPreviewPane&) = delete;
    CPreviewPane& operator=(const CPreviewPane&) = delete;

    // Takes over the parent's static control `controlId` as the pane.
    bool Attach(HWND parent, int controlId);
    // Loads the page file `address` without adding it to the control's
    // history; `plainText` (UTF-8) is what a pane that cannot draw pages
    // shows.
    void Navigate(const std::string& address, const std::string& plainText);
    // Lets the control go while its windows still exist.
    void Close();
    // Offers a keystroke aimed inside the browser to it; true when it used
    // the keystroke, which must then not be dispatched.
    bool TranslateKeyboard(MSG& message) const;

    HWND hwnd() const { return pane_; }
    bool drawsPages() const { return browser_ != nullptr; }
    // The read-only text box standing in for the browser, if it is used.
    HWND textBox() const { return textBox_.get(); }
    const std::string& lastAddress() const { return lastAddress_; }
    int navigations() const { return navigations_; }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    void Fit() const;

    HWND pane_ = nullptr;
    std::unique_ptr<WebBrowserControl> browser_;
    UniqueWindow textBox_;
    UniqueBrush textBackground_;
    std::string lastAddress_;
    int navigations_ = 0;
};
