#include "testhost/host_window.h"

#include "testhost/empty_trash.h"
#include "testhost/lower_case.h"
#include "testhost/mailbox_list_view.h"

#include <commctrl.h>

namespace {

enum CommandId : int {
    kExitCommand = 100,
    kConfigureCommand = 101,
    kCascadeCommand = 102,
    kTileCommand = 103,
    kOpenInCommand = 104,
    kEmptyTrashCommand = 105,
    kFirstSpecialCommand = 200,
    kFirstMdiChild = 1000,
};

// Posted to a mailbox window whose mailbox changed.
const UINT kUpdateListMessage = WM_APP + 1;

} // namespace

HostWindow::HostWindow(HINSTANCE instance, std::shared_ptr<HostSession> session, EmsHost* plugin)
    : instance_(instance), session_(std::move(session)), plugin_(plugin) {}

HostWindow::~HostWindow() {
    session_->SetView(nullptr);
    // The mailbox windows report their end to this object: it must still be
    // whole when they go.
    window_.reset();
}

bool HostWindow::Create(int show) {
    if (window_) {
        return false;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    WNDCLASSEXA mainClass = {};
    mainClass.cbSize = sizeof mainClass;
    mainClass.lpfnWndProc = MainProc;
    mainClass.hInstance = instance_;
    mainClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    mainClass.lpszClassName = kClassName;
    mainClass.hIcon = plugin_ ? plugin_->icon() : nullptr;
    WNDCLASSEXA mailboxClass = mainClass;
    mailboxClass.lpfnWndProc = MailboxProc;
    mailboxClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    mailboxClass.lpszClassName = kMailboxClassName;
    mailboxClass.hIcon = nullptr;
    // A second host window in the same process shares the classes.
    ::RegisterClassExA(&mainClass);
    ::RegisterClassExA(&mailboxClass);

    UniqueMenu menu = BuildMenu();
    HWND window = ::CreateWindowExA(0, kClassName, "Eudora", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 900, 640, nullptr, menu.get(),
                                    instance_, this);
    if (!window) {
        return false;
    }
    menu.release(); // the window owns its menu now
    session_->SetView(this);
    ::ShowWindow(window, show);
    ::UpdateWindow(window);
    return true;
}

UniqueMenu HostWindow::BuildMenu() {
    UniqueMenu bar(::CreateMenu());
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuA(file, MF_STRING, kOpenInCommand, "Open &In");
    ::AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(file, MF_STRING, kExitCommand, "E&xit");
    ::AppendMenuA(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");

    // The plug-in's entries come first, where its users and tests find them.
    HMENU special = ::CreatePopupMenu();
    if (plugin_) {
        for (size_t i = 0; i < plugin_->entries().size(); ++i) {
            ::AppendMenuA(special, MF_STRING, kFirstSpecialCommand + i,
                          plugin_->entries()[i].text.c_str());
        }
    }
    if (!plugin_ || plugin_->entries().empty()) {
        ::AppendMenuA(special, MF_STRING | MF_GRAYED, 0, "(no plug-in commands)");
    }
    ::AppendMenuA(special, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(special, MF_STRING, kEmptyTrashCommand, "Empty &Trash");
    if (plugin_) {
        ::AppendMenuA(special, MF_STRING, kConfigureCommand, "&Configure Plug-ins...");
    }
    ::AppendMenuA(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(special), "&Special");

    HMENU windowMenu = ::CreatePopupMenu();
    ::AppendMenuA(windowMenu, MF_STRING, kCascadeCommand, "&Cascade");
    ::AppendMenuA(windowMenu, MF_STRING, kTileCommand, "&Tile");
    ::AppendMenuA(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(windowMenu), "&Window");
    return bar;
}

LRESULT CALLBACK HostWindow::MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<HostWindow*>(create->lpCreateParams);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(window);
    }
    auto* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) {
        return ::DefFrameProcA(window, nullptr, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_.release();
        self->client_ = nullptr;
        self->status_ = nullptr;
        return ::DefFrameProcA(window, nullptr, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT HostWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_.get();
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) < kFirstMdiChild) {
            OnCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_DESTROY:
        if (runsMessageLoop_) {
            ::PostQuitMessage(0);
        }
        return 0;
    default:
        break;
    }
    return ::DefFrameProcA(window, client_, message, wParam, lParam);
}

void HostWindow::OnCreate() {
    HWND window = window_.get();
    CLIENTCREATESTRUCT clientCreate = {};
    clientCreate.hWindowMenu = ::GetSubMenu(::GetMenu(window), 2);
    clientCreate.idFirstChild = kFirstMdiChild;
    client_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
                                0, 0, 0, 0, window, nullptr, instance_, &clientCreate);
    status_ = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0,
                                0, 0, 0, window, nullptr, instance_, nullptr);
}

void HostWindow::OnSize() {
    if (!status_ || !client_) {
        return;
    }
    ::SendMessageA(status_, WM_SIZE, 0, 0);
    RECT frame;
    RECT status;
    ::GetClientRect(window_.get(), &frame);
    ::GetWindowRect(status_, &status);
    const int statusHeight = status.bottom - status.top;
    ::MoveWindow(client_, 0, 0, frame.right, frame.bottom - statusHeight, TRUE);
}

void HostWindow::OnCommand(int id) {
    switch (id) {
    case kExitCommand:
        ::DestroyWindow(window_.get());
        return;
    case kConfigureCommand:
        if (plugin_) {
            plugin_->Configure();
        }
        return;
    case kCascadeCommand:
        ::SendMessageA(client_, WM_MDICASCADE, 0, 0);
        return;
    case kTileCommand:
        ::SendMessageA(client_, WM_MDITILE, MDITILE_HORIZONTAL, 0);
        return;
    case kEmptyTrashCommand:
        ShowStatusText(EmptyTrash(*session_).Summary());
        return;
    case kOpenInCommand:
        if (auto in = session_->store().FindByName("In")) {
            ShowMailbox(*in);
        }
        return;
    default:
        if (id >= kFirstSpecialCommand) {
            RunSpecial(static_cast<size_t>(id - kFirstSpecialCommand));
        }
        return;
    }
}

void HostWindow::RunSpecial(size_t index) {
    if (!plugin_) {
        return;
    }
    const long result = plugin_->RunSpecial(index);
    if (result != 0) {
        ShowStatusText("The plug-in command ended with " + std::to_string(result) + ".");
    }
}

int HostWindow::RunMessageLoop() {
    runsMessageLoop_ = true;
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (client_ && ::TranslateMDISysAccel(client_, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void HostWindow::ShowStatusText(const std::string& text) {
    if (status_) {
        ::SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

HWND HostWindow::FindMailboxWindow(const std::string& mbxPath) const {
    for (const auto& open : mailboxWindows_) {
        if (LowerCase(open.second.path) == LowerCase(mbxPath)) {
            return open.first;
        }
    }
    return nullptr;
}

void HostWindow::ShowMailbox(const FolderEntry& mailbox) {
    if (!client_) {
        return;
    }
    if (HWND open = FindMailboxWindow(mailbox.path)) {
        ::SendMessageA(client_, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(open), 0);
        UpdateMailboxList(open);
        return;
    }
    MDICREATESTRUCTA create = {};
    create.szClass = kMailboxClassName;
    create.szTitle = mailbox.name.c_str();
    create.hOwner = instance_;
    create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
    create.lParam = reinterpret_cast<LPARAM>(this);
    HWND child = reinterpret_cast<HWND>(
        ::SendMessageA(client_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    if (child) {
        mailboxWindows_.emplace(
            child, OpenMailbox{mailbox.path, MailboxListView(::GetWindow(child, GW_CHILD))});
        UpdateMailboxList(child);
    }
}

// The list follows once the host's messages are next handled: a task that
// moves messages one after the other then costs one update of each list,
// not one a move, and every update that adds or drops rows redraws the list
// and its scroll bar at once.
void HostWindow::MailboxChanged(const std::string& mbxPath) {
    for (auto& open : mailboxWindows_) {
        if (LowerCase(open.second.path) != LowerCase(mbxPath) || open.second.updatePosted) {
            continue;
        }
        if (::PostMessageA(open.first, kUpdateListMessage, 0, 0)) {
            open.second.updatePosted = true;
        } else {
            UpdateMailboxList(open.first);
        }
    }
}

void HostWindow::UpdateMailboxList(HWND child) {
    auto found = mailboxWindows_.find(child);
    if (found == mailboxWindows_.end()) {
        return;
    }
    found->second.updatePosted = false;
    try {
        found->second.list.Update(session_->store().Mailbox(found->second.path));
    } catch (const StoreError& failure) {
        ShowStatusText(failure.what());
    }
}

LRESULT CALLBACK HostWindow::MailboxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* mdi = static_cast<MDICREATESTRUCTA*>(create->lpCreateParams);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, mdi->lParam);
        MailboxListView::Create(window, create->hInstance);
        break;
    }
    case WM_SIZE:
        ::MoveWindow(::GetWindow(window, GW_CHILD), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        break;
    case kUpdateListMessage:
        if (auto* self =
                reinterpret_cast<HostWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA))) {
            self->UpdateMailboxList(window);
        }
        return 0;
    case WM_DESTROY:
        if (auto* self =
                reinterpret_cast<HostWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA))) {
            self->mailboxWindows_.erase(window);
        }
        break;
    default:
        break;
    }
    return ::DefMDIChildProcA(window, message, wParam, lParam);
}
