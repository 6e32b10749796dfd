#include "ui/dialog.h"

#include "base/guarded_call.h"
#include "base/message_pump.h"
#include "base/stowlark_app.h"
#include "ui/access_keys.h"
#include "ui/window_ops.h"

namespace {

// Every dialog of the plug-in is drawn on this, with black text.
constexpr COLORREF kDialogBackground = RGB(212, 208, 200);

void InitControlClasses() {
    INITCOMMONCONTROLSEX classes = {};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                    ICC_PROGRESS_CLASS | ICC_DATE_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&classes);
}

} // namespace

CDialog::CDialog(int templateId, HWND parent)
    : templateId_(templateId), parent_(parent), background_(::CreateSolidBrush(kDialogBackground)) {
}

CDialog::~CDialog() {
    if (hwnd_) {
        ::DestroyWindow(hwnd_);
    }
}

INT_PTR CDialog::RunPlatformModal() {
    InitControlClasses();
    run_ = Run::PlatformModal;
    return ::DialogBoxParamA(App().Instance(), MAKEINTRESOURCEA(templateId_), parent_, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CDialog::RunModal() {
    ended_ = false;
    if (!CreateAs(Run::Modal)) {
        return -1;
    }
    const bool ownerWasEnabled = parent_ && !::EnableWindow(parent_, FALSE);
    ::ShowWindow(hwnd_, SW_SHOW);
    INT_PTR result = -1;
    for (;;) {
        if (ended_) {
            result = result_;
            break;
        }
        // Destroyed some other way: nothing would end the loop.
        if (!hwnd_) {
            break;
        }
        MSG message;
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            OnQuitDuringModal();
            break;
        }
        if (got < 0) {
            break;
        }
        DispatchThreadMessage(message);
    }
    if (ownerWasEnabled) {
        ::EnableWindow(parent_, TRUE);
        ::SetActiveWindow(parent_);
    }
    if (hwnd_) {
        ::DestroyWindow(hwnd_);
    }
    return result;
}

bool CDialog::Create() {
    return CreateAs(Run::Modeless);
}

bool CDialog::CreateAs(Run run) {
    InitControlClasses();
    // Set before the window exists: its start-up may already end it.
    run_ = run;
    const HWND window = ::CreateDialogParamA(App().Instance(), MAKEINTRESOURCEA(templateId_),
                                             parent_, DialogProc, reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    switch (run_) {
    case Run::PlatformModal:
        ::EndDialog(hwnd_, result);
        break;
    case Run::Modal:
        result_ = result;
        ended_ = true;
        // Wakes the loop, which may be waiting in GetMessage.
        ::PostMessageA(hwnd_, WM_NULL, 0, 0);
        break;
    case Run::Modeless:
        ::DestroyWindow(hwnd_);
        break;
    case Run::None:
        break;
    }
}

std::string CDialog::ItemText(int id) const {
    return WindowText(Item(id));
}

void CDialog::SetItemText(int id, const std::string& text) const {
    ::SetDlgItemTextA(hwnd_, id, text.c_str());
}

void CDialog::SetCheck(int id, bool checked) const {
    ::CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CDialog::OnCommand(int id, int /*notifyCode*/, HWND /*control*/) {
    if (id == IDCANCEL) {
        OnClose();
    }
}

LRESULT CDialog::OnNotify(const NMHDR& /*header*/) {
    return 0;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

bool CDialog::PreTranslateMessage(MSG& message) {
    // Before the platform's dialog manager, which on Wine presses the first
    // of several controls sharing a letter.
    if (HandleAccessKey(hwnd_, message)) {
        return true;
    }
    return ::IsDialogMessageW(hwnd_, &message) != FALSE;
}

void CDialog::Attach(HWND window) {
    hwnd_ = window;
    ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    if (run_ != Run::PlatformModal) {
        App().Routing().Add(*this);
    }
}

void CDialog::Detach() {
    App().Routing().Remove(*this);
    ::SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    hwnd_ = nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A handler that throws has the message treated as not handled; the
    // window goes on as it was.
    return CallGuarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
        CDialog* self = nullptr;
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<CDialog*>(lParam);
            self->Attach(window);
        } else {
            self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
        }
        if (!self) {
            return FALSE;
        }
        if (message == WM_NCDESTROY) {
            self->Detach();
            self->OnDestroyed();
            return FALSE;
        }
        return self->HandleMessage(message, wParam, lParam);
    });
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        const LRESULT result = OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, kDialogBackground);
        return reinterpret_cast<INT_PTR>(background_.get());
    }
    default:
        break;
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result)) {
        return FALSE;
    }
    ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}
