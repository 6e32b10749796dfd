#include "host/dispatch_ref.h"

#include "host/host_error.h"
#include "base/system_error.h"

#include <cstdio>
#include <vector>

namespace {

std::string CodeText(HRESULT code) {
    std::string text = SystemMessageText(static_cast<DWORD>(code));
    if (text.empty()) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "Unknown error 0x%08lX",
                      static_cast<unsigned long>(code));
        text = buffer;
    }
    return text;
}

// The host's own words when it raised an exception, the platform's otherwise.
[[noreturn]] void ThrowCallFailure(HRESULT result, EXCEPINFO& exception) {
    Bstr description;
    Bstr source;
    Bstr helpFile;
    HRESULT code = result;
    if (result == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) {
            exception.pfnDeferredFillIn(&exception);
        }
        description.reset(exception.bstrDescription);
        source.reset(exception.bstrSource);
        helpFile.reset(exception.bstrHelpFile);
        if (exception.scode) {
            code = exception.scode;
        }
    }
    std::string text = description.Ansi();
    throw HostError(code, text.empty() ? CodeText(code) : text);
}

} // namespace

void DispatchRef::Invoke(DISPID id, WORD kind, std::initializer_list<const Variant*> args,
                         VARIANT* result) const {
    if (!object_) {
        throw HostError(E_POINTER, "The host object is not available.");
    }
    // Dispatch arguments travel last to first.
    std::vector<VARIANTARG> reversed;
    reversed.reserve(args.size());
    for (auto it = args.end(); it != args.begin();) {
        --it;
        reversed.push_back(*(*it)->get());
    }
    DISPPARAMS parameters = {};
    parameters.rgvarg = reversed.empty() ? nullptr : reversed.data();
    parameters.cArgs = static_cast<UINT>(reversed.size());
    DISPID named = DISPID_PROPERTYPUT;
    if (kind == DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &named;
        parameters.cNamedArgs = 1;
    }
    EXCEPINFO exception = {};
    UINT badArgument = 0;
    const HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result,
                                       &exception, &badArgument);
    if (FAILED(hr)) {
        ThrowCallFailure(hr, exception);
    }
}

long DispatchRef::GetLong(DISPID id, std::initializer_list<const Variant*> args) const {
    Variant result;
    Invoke(id, DISPATCH_PROPERTYGET, args, result.put());
    if (FAILED(::VariantChangeType(result.get(), result.get(), 0, VT_I4))) {
        throw HostError(DISP_E_TYPEMISMATCH, "The host answered with something not a number.");
    }
    return result.get()->lVal;
}

std::string DispatchRef::GetText(DISPID id, std::initializer_list<const Variant*> args) const {
    Variant result;
    Invoke(id, DISPATCH_PROPERTYGET, args, result.put());
    if (result.get()->vt == VT_EMPTY || result.get()->vt == VT_NULL) {
        return std::string();
    }
    if (FAILED(::VariantChangeType(result.get(), result.get(), 0, VT_BSTR))) {
        throw HostError(DISP_E_TYPEMISMATCH, "The host answered with something not a text.");
    }
    const BSTR text = result.get()->bstrVal;
    return AnsiFromWide(text, ::SysStringLen(text));
}

namespace {

// An object the host hands back, as the reference the caller now owns.
ComPtr<IDispatch> TakeObject(Variant& result) {
    VARIANT* value = result.get();
    IDispatch* object = nullptr;
    if (value->vt == VT_DISPATCH) {
        object = value->pdispVal;
    } else if (value->vt == (VT_DISPATCH | VT_BYREF) && value->ppdispVal) {
        object = *value->ppdispVal;
    } else if (value->vt == VT_UNKNOWN && value->punkVal) {
        ComPtr<IDispatch> asked;
        if (SUCCEEDED(value->punkVal->QueryInterface(IID_IDispatch, asked.putVoid()))) {
            return asked;
        }
    }
    if (!object) {
        throw HostError(E_POINTER, "The host answered without an object.");
    }
    return ComPtr<IDispatch>::Share(object);
}

} // namespace

ComPtr<IDispatch> DispatchRef::GetObject(DISPID id,
                                         std::initializer_list<const Variant*> args) const {
    Variant result;
    Invoke(id, DISPATCH_PROPERTYGET, args, result.put());
    return TakeObject(result);
}

ComPtr<IDispatch> DispatchRef::CallForObject(DISPID id,
                                             std::initializer_list<const Variant*> args) const {
    Variant result;
    Invoke(id, DISPATCH_METHOD, args, result.put());
    return TakeObject(result);
}

void DispatchRef::Put(DISPID id, const Variant& value) const {
    Invoke(id, DISPATCH_PROPERTYPUT, {&value}, nullptr);
}

void DispatchRef::Call(DISPID id, std::initializer_list<const Variant*> args) const {
    Variant ignored;
    Invoke(id, DISPATCH_METHOD, args, ignored.put());
}
