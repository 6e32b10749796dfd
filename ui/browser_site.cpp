#include "ui/browser_site.h"

#include "base/guarded_call.h"

#include <exdisp.h>
#include <exdispid.h>
#include <idispids.h>
#include <mshtmdid.h>
#include <olectl.h>

namespace {

// The argument at `position` in the order the event declares them. DISPPARAMS
// holds the positional arguments last first, after any named ones.
VARIANTARG* Argument(DISPPARAMS* params, UINT position) {
    if (!params || !params->rgvarg || params->cNamedArgs > params->cArgs ||
        position >= params->cArgs - params->cNamedArgs) {
        return nullptr;
    }
    return &params->rgvarg[params->cArgs - 1 - position];
}

// Where a by-reference boolean argument is to be written, or null when the
// argument is something else.
VARIANT_BOOL* BoolReference(VARIANTARG* argument) {
    if (!argument) {
        return nullptr;
    }
    if (argument->vt == (VT_BYREF | VT_BOOL)) {
        return argument->pboolVal;
    }
    if (argument->vt == (VT_BYREF | VT_VARIANT) && argument->pvarVal &&
        argument->pvarVal->vt == VT_BOOL) {
        return &argument->pvarVal->boolVal;
    }
    return nullptr;
}

// NewWindow2 (ppDisp, Cancel) and NewWindow3 (ppDisp, Cancel, dwFlags,
// bstrUrlContext, bstrUrl) both carry Cancel second.
constexpr UINT kNewWindowCancelPosition = 1;

} // namespace

HRESULT DispatchByNumber::GetTypeInfoCount(UINT* count) {
    if (!count) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT DispatchByNumber::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) {
        *info = nullptr;
    }
    return DISP_E_BADINDEX;
}

long BrowserDownloadControl() {
    return DLCTL_DLIMAGES | DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA | DLCTL_NO_DLACTIVEXCTLS |
           DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_BEHAVIORS | DLCTL_NO_CLIENTPULL | DLCTL_SILENT;
}

// --- BrowserSite

ComPtr<BrowserSite> BrowserSite::Make(HWND container, const RECT& rect) {
    return ComPtr<BrowserSite>(new BrowserSite(container, rect));
}

void BrowserSite::Detach() {
    container_ = nullptr;
    activeObject_.reset();
}

HRESULT BrowserSite::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
        *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG BrowserSite::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG BrowserSite::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT BrowserSite::GetContainer(IOleContainer** container) {
    if (!container) {
        return E_POINTER;
    }
    *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT BrowserSite::GetWindow(HWND* window) {
    if (!window) {
        return E_POINTER;
    }
    *window = container_;
    return container_ ? S_OK : E_FAIL;
}

HRESULT BrowserSite::CanInPlaceActivate() {
    return container_ ? S_OK : S_FALSE;
}

HRESULT BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                      RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) {
    return CallGuardedCom([&]() -> HRESULT {
        if (!frame || !document || !position || !clip || !info) {
            return E_POINTER;
        }
        *frame = nullptr;
        // No document window between the frame and the control.
        *document = nullptr;
        if (!container_) {
            return E_FAIL;
        }
        AddRef();
        *frame = static_cast<IOleInPlaceFrame*>(this);
        *position = rect_;
        *clip = rect_;
        // The caller sets cb; the frame has no accelerators of its own to offer.
        info->fMDIApp = FALSE;
        info->hwndFrame = container_;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    });
}

HRESULT BrowserSite::OnInPlaceDeactivate() {
    activeObject_.reset();
    return S_OK;
}

HRESULT BrowserSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    return CallGuardedCom([&]() -> HRESULT {
        // Holding it after Detach would keep the control alive through its own site.
        activeObject_ = container_ ? ComPtr<IOleInPlaceActiveObject>::Share(object)
                                   : ComPtr<IOleInPlaceActiveObject>();
        return S_OK;
    });
}

HRESULT BrowserSite::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS*,
                            VARIANT* result, EXCEPINFO*, UINT*) {
    return CallGuardedCom([&]() -> HRESULT {
        if (!IsEqualIID(iid, IID_NULL)) {
            return DISP_E_UNKNOWNINTERFACE;
        }
        if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) {
            return DISP_E_MEMBERNOTFOUND;
        }
        VARIANT value;
        ::VariantInit(&value);
        switch (member) {
        case DISPID_AMBIENT_DLCONTROL:
            value.vt = VT_I4;
            value.lVal = BrowserDownloadControl();
            break;
        // Running rather than being designed, and silent: a preview must never
        // stop for a click on some dialog of the control's.
        case DISPID_AMBIENT_USERMODE:
        case DISPID_AMBIENT_SILENT:
            value.vt = VT_BOOL;
            value.boolVal = VARIANT_TRUE;
            break;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
        if (!result) {
            return E_POINTER;
        }
        *result = value;
        return S_OK;
    });
}

// --- BrowserEvents

ComPtr<BrowserEvents> BrowserEvents::Make() {
    return ComPtr<BrowserEvents>(new BrowserEvents());
}

HRESULT BrowserEvents::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    // The connection point asks for the event interface itself.
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, DIID_DWebBrowserEvents2)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG BrowserEvents::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG BrowserEvents::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT BrowserEvents::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                              EXCEPINFO*, UINT*) {
    return CallGuardedCom([&]() -> HRESULT {
        switch (member) {
        case DISPID_NEWWINDOW2:
        case DISPID_NEWWINDOW3:
            if (VARIANT_BOOL* cancel = BoolReference(Argument(params, kNewWindowCancelPosition))) {
                *cancel = VARIANT_TRUE;
                ++refusedNewWindows_;
            }
            break;
        case DISPID_NAVIGATEERROR:
            // The control shows its own error page; that is answer enough.
            ++navigateErrors_;
            break;
        default:
            // BeforeNavigate2, NavigateComplete2, DownloadComplete and the rest
            // need nothing from the container.
            break;
        }
        return S_OK;
    });
}
