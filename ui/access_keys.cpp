#include "ui/access_keys.h"

#include "ui/window_ops.h"

#include <algorithm>
#include <string>

namespace {

char UpperCase(char letter) {
    char text[2] = {letter, '\0'};
    ::CharUpperA(text);
    return text[0];
}

// The letter after the first single "&"; "&&" stands for an ampersand.
char KeyOfText(const std::string& text) {
    for (std::string::size_type at = text.find('&');
         at != std::string::npos && at + 1 < text.size(); at = text.find('&', at + 2)) {
        if (text[at + 1] != '&') {
            return UpperCase(text[at + 1]);
        }
    }
    return '\0';
}

bool IsStaticClass(HWND control) {
    char name[16] = {};
    ::GetClassNameA(control, name, sizeof name);
    return ::lstrcmpiA(name, "Static") == 0;
}

// Only buttons (group boxes among them) and labels answer to their letter;
// a label that shows its ampersands has none.
char KeyOf(HWND control) {
    const LRESULT code = ::SendMessageA(control, WM_GETDLGCODE, 0, 0);
    if (!(code & (DLGC_BUTTON | DLGC_STATIC))) {
        return '\0';
    }
    if (IsStaticClass(control) && (::GetWindowLongPtrA(control, GWL_STYLE) & SS_NOPREFIX)) {
        return '\0';
    }
    return KeyOfText(WindowText(control));
}

// Child windows in tab order, with the controls of a child that holds
// controls of its own (as the viewer's preview pane does) in its place.
void CollectControls(HWND parent, std::vector<HWND>& controls) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
        if (::GetWindowLongPtrA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
            CollectControls(child, controls);
        }
    }
}

bool IsGroupBox(HWND control) {
    return (::SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_STATIC) && !IsStaticClass(control);
}

// Where the focus goes for the control's letter: a label or a group box
// hands it on to the control after it in tab order.
HWND FocusTarget(HWND dialog, HWND control) {
    if (IsStaticClass(control) || IsGroupBox(control)) {
        return ::GetNextDlgTabItem(dialog, control, FALSE);
    }
    return control;
}

void MoveFocus(HWND dialog, HWND target) {
    if (target) {
        ::SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    }
}

bool IsAccessKeyMessage(const MSG& message) {
    if (message.message == WM_SYSCHAR) {
        return true;
    }
    if (message.message != WM_CHAR) {
        return false;
    }
    // Text boxes, lists and trees take letters as typing.
    const LRESULT code = ::SendMessageA(message.hwnd, WM_GETDLGCODE, message.wParam,
                                        reinterpret_cast<LPARAM>(&message));
    return !(code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE));
}

} // namespace

std::vector<AccessKey> DialogAccessKeys(HWND dialog) {
    std::vector<HWND> controls;
    CollectControls(dialog, controls);
    std::vector<AccessKey> keys;
    for (const HWND control : controls) {
        if (const char key = KeyOf(control)) {
            keys.push_back({control, key});
        }
    }
    return keys;
}

bool HandleAccessKey(HWND dialog, const MSG& message) {
    if (!IsAccessKeyMessage(message)) {
        return false;
    }
    // The plug-in's loops take messages in UTF-16; the captions' keys are
    // in the code page.
    const wchar_t wide = static_cast<wchar_t>(message.wParam);
    char key = 0;
    ::WideCharToMultiByte(CP_ACP, 0, &wide, 1, &key, 1, nullptr, nullptr);
    const char typed = UpperCase(key);
    if (static_cast<unsigned char>(typed) <= ' ') {
        return false;
    }
    std::vector<HWND> controls;
    CollectControls(dialog, controls);
    std::vector<size_t> matches;
    for (size_t i = 0; i < controls.size(); ++i) {
        const HWND control = controls[i];
        if (::IsWindowVisible(control) && ::IsWindowEnabled(control) && KeyOf(control) == typed) {
            matches.push_back(i);
        }
    }
    if (matches.empty()) {
        return false;
    }
    if (matches.size() == 1) {
        const HWND control = controls[matches.front()];
        if (IsStaticClass(control) || IsGroupBox(control)) {
            MoveFocus(dialog, FocusTarget(dialog, control));
        } else {
            ::SendMessageA(control, BM_CLICK, 0, 0);
        }
        return true;
    }
    // Shared: on to the next control with the letter after the focus,
    // round to the first after the last.
    const HWND focus = ::GetFocus();
    const auto focused = std::find_if(controls.begin(), controls.end(), [&](HWND control) {
        return control == focus || ::IsChild(control, focus);
    });
    const size_t focusAt =
        focused == controls.end() ? 0 : static_cast<size_t>(focused - controls.begin()) + 1;
    const auto next = std::find_if(matches.begin(), matches.end(),
                                   [&](size_t index) { return index >= focusAt; });
    MoveFocus(dialog,
              FocusTarget(dialog, controls[next == matches.end() ? matches.front() : *next]));
    return true;
}
