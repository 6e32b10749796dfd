#include "ui/web_browser_control.h"

#include "base/com_variant.h"
#include "base/guarded_call.h"
#include "ui/browser_ids.h"

#include <commctrl.h>
#include <exdisp.h>

#include <atomic>
#include <iterator>

namespace {

constexpr UINT_PTR kSubclassId = 1;
// IWebBrowser2's Navigate in its automation interface.
constexpr DISPID kNavigateMethod = 104;

// A reference to `target` as a by-reference argument; `target` keeps owning
// the value.
VARIANTARG ReferenceTo(Variant& target) {
    VARIANTARG argument;
    ::VariantInit(&argument);
    argument.vt = VT_BYREF | VT_VARIANT;
    argument.pvarVal = target.get();
    return argument;
}

} // namespace

HRESULT InvokeNavigate(IDispatch& browser, const std::string& address, long flags) {
    Variant url(address);
    Variant flagValue(flags);
    Variant targetFrame;
    Variant postData;
    Variant headers;
    // Last argument first. These are borrowed views and are not cleared.
    VARIANTARG arguments[] = {ReferenceTo(headers), ReferenceTo(postData), ReferenceTo(targetFrame),
                              ReferenceTo(flagValue), *url.get()};
    DISPPARAMS params = {arguments, nullptr, static_cast<UINT>(std::size(arguments)), 0};
    return browser.Invoke(kNavigateMethod, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                          nullptr, nullptr, nullptr);
}

WebBrowserControl::WebBrowserControl() : events_(BrowserEvents::Make()) {}

WebBrowserControl::~WebBrowserControl() {
    Teardown();
}

bool WebBrowserControl::Create(HWND container, const RECT& rect) {
    // Watching the container is what lets the control go before its window
    // does; a window of another thread cannot be watched, and is refused.
    if (created() || !::IsWindow(container) ||
        !::SetWindowSubclass(container, ContainerProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    container_ = container;
    if (!Activate(rect)) {
        Teardown();
        return false;
    }
    return true;
}

bool WebBrowserControl::Activate(const RECT& rect) {
    site_ = BrowserSite::Make(container_, rect);
    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  object_.putVoid()))) {
        return false;
    }
    // The site first: the control reads the ambient download control from it.
    if (FAILED(object_->SetClientSite(site_.get()))) {
        return false;
    }
    object_->SetHostNames(L"Message Stowlark", nullptr);

    // Without the sink new windows would open, so no sink, no control. It is
    // connected before activation so nothing the control does goes unseen.
    ComPtr<IConnectionPointContainer> points;
    if (FAILED(object_->QueryInterface(IID_IConnectionPointContainer, points.putVoid())) ||
        FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, connection_.put())) ||
        FAILED(connection_->Advise(events_.get(), &cookie_))) {
        return false;
    }

    // In place but not UI-active: the control takes the focus when the user
    // clicks into it, not when it is made.
    RECT position = rect;
    if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.get(), 0, container_,
                               &position)) ||
        FAILED(object_->QueryInterface(IID_IOleInPlaceObject, inPlace_.putVoid())) ||
        FAILED(object_->QueryInterface(IID_IDispatch, automation_.putVoid()))) {
        return false;
    }
    inPlace_->SetObjectRects(&rect, &rect);

    ComPtr<IWebBrowser2> browser;
    if (SUCCEEDED(object_->QueryInterface(IID_IWebBrowser2, browser.putVoid()))) {
        // Besides the ambient property: some dialogs only this setting stops.
        browser->put_Silent(VARIANT_TRUE);
    }
    return true;
}

void WebBrowserControl::Teardown() {
    if (container_) {
        ::RemoveWindowSubclass(container_, ContainerProc, kSubclassId);
    }
    if (connection_) {
        if (cookie_) {
            connection_->Unadvise(cookie_);
            cookie_ = 0;
        }
        connection_.reset();
    }
    automation_.reset();
    // While the site still answers: deactivation asks it for the window.
    if (inPlace_) {
        inPlace_->InPlaceDeactivate();
        inPlace_.reset();
    }
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
        object_.reset();
    }
    if (site_) {
        site_->Detach();
        site_.reset();
    }
    container_ = nullptr;
}

void WebBrowserControl::SetRect(const RECT& rect) {
    if (!inPlace_) {
        return;
    }
    site_->SetRect(rect);
    inPlace_->SetObjectRects(&rect, &rect);
}

bool WebBrowserControl::Navigate(const std::string& address, long flags) {
    return automation_ && SUCCEEDED(InvokeNavigate(*automation_.get(), address, flags));
}

HWND WebBrowserControl::window() const {
    HWND window = nullptr;
    if (!inPlace_ || FAILED(inPlace_->GetWindow(&window))) {
        return nullptr;
    }
    return window;
}

bool WebBrowserControl::TranslateKeyboard(MSG& message) const {
    IOleInPlaceActiveObject* active = site_ ? site_->activeObject() : nullptr;
    return active && active->TranslateAccelerator(&message) == S_OK;
}

bool WebBrowserControl::HtmlEngineAvailable() {
    enum : int { kUnknown, kAvailable, kMissing };
    static std::atomic<int> known{kUnknown};
    int state = known.load();
    if (state == kUnknown) {
        ComPtr<IUnknown> document;
        const HRESULT result = ::CoCreateInstance(kClsidHtmlDocument, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IUnknown, document.putVoid());
        // Asked before COM was ready: that says nothing about the engine.
        if (result == CO_E_NOTINITIALIZED) {
            return false;
        }
        state = SUCCEEDED(result) ? kAvailable : kMissing;
        known.store(state);
    }
    return state == kAvailable;
}

LRESULT CALLBACK WebBrowserControl::ContainerProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    // The control's window is a child of the container and still exists
    // here, so the control can be taken down in order.
    if (message == WM_DESTROY) {
        RunGuarded([&] { reinterpret_cast<WebBrowserControl*>(self)->Teardown(); });
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}
