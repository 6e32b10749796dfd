// The platform's web browser control, hosted in place inside a child window
// of ours. The pages it shows carry a mail message's own HTML, so its site
// turns scripts, Java and ActiveX controls off and refuses new windows.
#pragma once

#include "base/com_ptr.h"
#include "base/win32.h"
#include "ui/browser_site.h"

#include <string>

// The control's Navigate method through its automation interface: the
// address, then references to the flags (navNoHistory and the like), the
// target frame, post data and headers, the last three empty.
HRESULT InvokeNavigate(IDispatch& browser, const std::string& address, long flags);

class WebBrowserControl {
public:
    WebBrowserControl();
    // Takes the control down while its window still exists.
    ~WebBrowserControl();
    WebBrowserControl(const WebBrowserControl&) = delete;
    WebBrowserControl& operator=(const WebBrowserControl&) = delete;

    // Makes the control and activates it in place in `container` (a child
    // window of this thread), covering `rect` in container client
    // coordinates. False when it cannot be made or activated; the object is
    // then inert. The control goes when the container is destroyed, so the
    // object may outlive the window.
    bool Create(HWND container, const RECT& rect);
    bool created() const { return static_cast<bool>(object_); }
    void SetRect(const RECT& rect);
    // True when the control took the request; how the page then loads shows
    // in the events only.
    bool Navigate(const std::string& address, long flags);

    // The control's own window, for focus; null when there is none.
    HWND window() const;
    // Offers a keystroke to the control while it has the focus (Tab, the
    // arrows, Ctrl+C): true when it used the message, which must then not
    // be dispatched.
    bool TranslateKeyboard(MSG& message) const;

    // Whether the platform's HTML engine can draw pages at all. Asked once
    // per process, once COM is initialised on the asking thread.
    static bool HtmlEngineAvailable();

    // What the event sink saw, for tests and diagnostics.
    int refusedNewWindows() const { return events_->refusedNewWindows(); }
    int navigateErrors() const { return events_->navigateErrors(); }

private:
    static LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    bool Activate(const RECT& rect);
    void Teardown();

    // Counts survive a teardown, so the sink lives as long as this object.
    ComPtr<BrowserEvents> events_;
    HWND container_ = nullptr;
    ComPtr<BrowserSite> site_;
    ComPtr<IOleObject> object_;
    ComPtr<IOleInPlaceObject> inPlace_;
    ComPtr<IDispatch> automation_;
    ComPtr<IConnectionPoint> connection_;
    DWORD cookie_ = 0;
};
