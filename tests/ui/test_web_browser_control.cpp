// The hosted web browser control: the site's ambient answers and the event
// sink driven directly, the Navigate call as a stand-in control receives it,
// and the platform's own control in a real window.
#include "base/ansi_text.h"
#include "base/com_variant.h"
#include "base/unique_resource.h"
#include "testhost/com_object.h"
#include "testhost/ole_scope.h"
#include "tests/test_support.h"
#include "tests/ui/ui_fixture.h"
#include "ui/web_browser_control.h"

#include <exdispid.h>
#include <idispids.h>
#include <mshtmdid.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

HRESULT AskAmbient(IDispatch& site, DISPID member, VARIANT* value) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return site.Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value,
                       nullptr, nullptr);
}

VARIANTARG Arg(VARTYPE type) {
    VARIANTARG argument;
    ::VariantInit(&argument);
    argument.vt = type;
    return argument;
}

VARIANTARG BoolRef(VARIANT_BOOL* target) {
    VARIANTARG argument = Arg(VT_BYREF | VT_BOOL);
    argument.pboolVal = target;
    return argument;
}

// `lastFirst` as DISPPARAMS holds them: the event's last argument first.
HRESULT Fire(IDispatch& sink, DISPID member, std::vector<VARIANTARG> lastFirst) {
    DISPPARAMS params = {lastFirst.empty() ? nullptr : lastFirst.data(), nullptr,
                         static_cast<UINT>(lastFirst.size()), 0};
    return sink.Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                       nullptr, nullptr);
}

// An argument as text: "&" for a reference to a variant, then its type and value.
std::string Describe(const VARIANTARG& argument) {
    switch (argument.vt) {
    case VT_BYREF | VT_VARIANT:
        return "&" + Describe(*argument.pvarVal);
    case VT_BSTR:
        return "BSTR " + AnsiFromWide(argument.bstrVal, ::SysStringLen(argument.bstrVal));
    case VT_I4:
        return "I4 " + std::to_string(argument.lVal);
    case VT_EMPTY:
        return "EMPTY";
    default:
        return "type " + std::to_string(argument.vt);
    }
}

// Stands in for the control's automation interface and writes down the one
// call it gets, in the order the method declares its arguments.
class RecordingDispatch : public ComObject<IDispatch, IID_IDispatch> {
public:
    explicit RecordingDispatch(std::string& call) : call_(call) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        call_ = std::to_string(member) + (flags == DISPATCH_METHOD ? " method" : " other") +
                (result ? " wants result" : "");
        for (UINT i = params->cArgs; i-- > 0;) {
            call_ += " | " + Describe(params->rgvarg[i]);
        }
        return S_OK;
    }

private:
    std::string& call_;
};

} // namespace

TEST(WebBrowserControl, AmbientPropertiesShutOutScriptsJavaActiveXAndRefreshAndNothingElse) {
    const ComPtr<BrowserSite> site = BrowserSite::Make(nullptr, RECT{});
    Variant value;
    ASSERT_EQ(S_OK, AskAmbient(*site.get(), DISPID_AMBIENT_DLCONTROL, value.put()));
    ASSERT_EQ(VT_I4, value.get()->vt);
    const long wanted = DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA | DLCTL_NO_DLACTIVEXCTLS |
                        DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_CLIENTPULL;
    EXPECT_EQ(wanted, value.get()->lVal & wanted);

    ASSERT_EQ(S_OK, AskAmbient(*site.get(), DISPID_AMBIENT_SILENT, value.put()));
    EXPECT_EQ(VT_BOOL, value.get()->vt);
    EXPECT_EQ(VARIANT_TRUE, value.get()->boolVal);

    // Anything else the control must settle for itself.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              AskAmbient(*site.get(), DISPID_AMBIENT_BACKCOLOR, value.put()));
    EXPECT_EQ(VT_EMPTY, value.get()->vt);
    EXPECT_EQ(E_POINTER, AskAmbient(*site.get(), DISPID_AMBIENT_DLCONTROL, nullptr));
}

TEST(WebBrowserControl, SinkCancelsNewWindow2AndNewWindow3) {
    const ComPtr<BrowserEvents> sink = BrowserEvents::Make();
    VARIANT_BOOL cancel = VARIANT_FALSE;
    // NewWindow2(ppDisp, Cancel).
    EXPECT_EQ(S_OK, Fire(*sink.get(), DISPID_NEWWINDOW2,
                         {BoolRef(&cancel), Arg(VT_BYREF | VT_DISPATCH)}));
    EXPECT_EQ(VARIANT_TRUE, cancel);

    // NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl), with
    // decoys on the neighbouring places.
    cancel = VARIANT_FALSE;
    VARIANT_BOOL decoy = VARIANT_FALSE;
    EXPECT_EQ(S_OK, Fire(*sink.get(), DISPID_NEWWINDOW3,
                         {BoolRef(&decoy), Arg(VT_BSTR), BoolRef(&decoy), BoolRef(&cancel),
                          Arg(VT_BYREF | VT_DISPATCH)}));
    EXPECT_EQ(VARIANT_TRUE, cancel);
    EXPECT_EQ(VARIANT_FALSE, decoy);
    EXPECT_EQ(2, sink->refusedNewWindows());
}

TEST(WebBrowserControl, SinkWritesNothingThroughMalformedArgumentsAndCountsErrors) {
    const ComPtr<BrowserEvents> sink = BrowserEvents::Make();
    EXPECT_EQ(S_OK, Fire(*sink.get(), DISPID_NEWWINDOW2, {}));
    EXPECT_EQ(S_OK, Fire(*sink.get(), DISPID_NEWWINDOW3, {Arg(VT_BSTR)}));
    EXPECT_EQ(S_OK, Fire(*sink.get(), DISPID_NEWWINDOW2, {BoolRef(nullptr), Arg(VT_DISPATCH)}));
    // Cancel by value: nothing to write through.
    EXPECT_EQ(S_OK, Fire(*sink.get(), DISPID_NEWWINDOW2, {Arg(VT_BOOL), Arg(VT_DISPATCH)}));
    EXPECT_EQ(S_OK, sink->Invoke(DISPID_NEWWINDOW2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                 nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(0, sink->refusedNewWindows());

    EXPECT_EQ(S_OK, Fire(*sink.get(), DISPID_BEFORENAVIGATE2, {}));
    EXPECT_EQ(S_OK, Fire(*sink.get(), DISPID_NAVIGATEERROR, {}));
    EXPECT_EQ(S_OK, Fire(*sink.get(), 9999, {}));
    EXPECT_EQ(1, sink->navigateErrors());
}

TEST(WebBrowserControl, NavigateSendsTheAddressThenReferencesToFlagsAndThreeEmpties) {
    std::string call;
    const ComPtr<IDispatch> control = RecordingDispatch::Make<RecordingDispatch>(call);
    EXPECT_EQ(S_OK, InvokeNavigate(*control.get(), "C:\\temp\\page 1.htm", 2));
    EXPECT_EQ("104 method | BSTR C:\\temp\\page 1.htm | &I4 2 | &EMPTY | &EMPTY | &EMPTY", call);
}

TEST(WebBrowserControl, IsInertWithoutAContainer) {
    OleScope ole;
    WebBrowserControl browser;
    EXPECT_FALSE(browser.Create(nullptr, RECT{0, 0, 10, 10}));
    EXPECT_FALSE(browser.created());
    browser.SetRect(RECT{0, 0, 20, 20});
    EXPECT_FALSE(browser.Navigate("about:blank", 0));
    EXPECT_EQ(nullptr, browser.window());
}

namespace {

// The control inside a child pane of a top-level window, the way the viewer
// holds it.
class WebBrowserControlInWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ole.ok());
        top.reset(::CreateWindowA("#32770", "browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                  400, 300, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(top);
        pane = ::CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, 300,
                               200, top.get(), nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, pane);
        browser = std::make_unique<WebBrowserControl>();
        ASSERT_TRUE(browser->Create(pane, RECT{0, 0, 300, 200}));
    }

    SIZE ControlSize() const {
        RECT rect = {};
        ::GetWindowRect(browser->window(), &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }

    OleScope ole;
    UniqueWindow top;
    HWND pane = nullptr;
    std::unique_ptr<WebBrowserControl> browser;
};

} // namespace

TEST_F(WebBrowserControlInWindow, ShowsALocalPageWithoutPoppingUpAnything) {
    const HWND control = browser->window();
    ASSERT_NE(nullptr, control);
    EXPECT_TRUE(::IsChild(pane, control));
    browser->SetRect(RECT{0, 0, 250, 150});
    EXPECT_EQ(250, ControlSize().cx);
    EXPECT_EQ(150, ControlSize().cy);

    TempFolder folder;
    const std::string page = folder / "page.htm";
    WriteBytes(page, "<html><body><p>Hello</p></body></html>");
    const int windowsBefore = VisibleWindowsOfThisThread();
    EXPECT_TRUE(browser->Navigate(page, 2));
    if (!WebBrowserControl::HtmlEngineAvailable()) {
        // Nothing can draw the page; the control says so through the sink.
        EXPECT_TRUE(PumpUntil([&] { return browser->navigateErrors() > 0; }));
    } else {
        PumpFor(200);
    }
    EXPECT_EQ(windowsBefore, VisibleWindowsOfThisThread());
}

TEST_F(WebBrowserControlInWindow, GoesWithItsContainerWhichMayGoFirst) {
    top.reset();
    EXPECT_FALSE(browser->created());
    EXPECT_EQ(nullptr, browser->window());
    EXPECT_FALSE(browser->Navigate("about:blank", 0));
    browser.reset();
}

TEST_F(WebBrowserControlInWindow, LeavesItsContainerAloneOnceGone) {
    const HWND control = browser->window();
    browser.reset();
    EXPECT_FALSE(::IsWindow(control));
    // The container's watch went with the object; its messages reach no one stale.
    ::SetWindowPos(pane, nullptr, 0, 0, 100, 100, SWP_NOZORDER);
    top.reset();
}
