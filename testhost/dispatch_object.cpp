#include "testhost/dispatch_object.h"

namespace {

const char kHostSource[] = "Eudora";

void FillException(EXCEPINFO* exception, const std::string& text) {
    if (!exception) {
        return;
    }
    *exception = EXCEPINFO();
    exception->bstrSource = Bstr(kHostSource).release();
    exception->bstrDescription = Bstr(text).release();
    exception->scode = E_FAIL;
}

} // namespace

void Invocation::CheckPutArgument() const {
    if (!IsPut()) {
        return;
    }
    // A put names its value, as automation requires.
    if (!parameters_ || parameters_->cArgs == 0 || parameters_->cNamedArgs != 1 ||
        !parameters_->rgdispidNamedArgs ||
        parameters_->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        throw ArgumentError(DISP_E_PARAMNOTFOUND, 0);
    }
}

void Invocation::RequireArguments(unsigned count) const {
    if ((parameters_ ? parameters_->cArgs : 0) != count) {
        throw ArgumentError(DISP_E_BADPARAMCOUNT, 0);
    }
}

const VARIANT& Invocation::Argument(unsigned index) const {
    const unsigned count = parameters_ ? parameters_->cArgs : 0;
    if (index >= count) {
        throw ArgumentError(DISP_E_BADPARAMCOUNT, index);
    }
    // Automation passes the arguments last to first.
    return parameters_->rgvarg[count - 1 - index];
}

Variant Invocation::Coerced(unsigned index, VARTYPE type) const {
    Variant value;
    const VARIANT& given = Argument(index);
    const VARIANT* source = &given;
    if (FAILED(::VariantChangeType(value.put(), const_cast<VARIANT*>(source), 0, type))) {
        const unsigned count = parameters_->cArgs;
        throw ArgumentError(DISP_E_TYPEMISMATCH, count - 1 - index);
    }
    return value;
}

long Invocation::LongArgument(unsigned index) const {
    return Coerced(index, VT_I4).get()->lVal;
}

std::string Invocation::TextArgument(unsigned index) const {
    const BSTR text = Coerced(index, VT_BSTR).get()->bstrVal;
    return AnsiFromWide(text, ::SysStringLen(text));
}

ComPtr<IDispatch> Invocation::ObjectArgument(unsigned index) const {
    Variant value = Coerced(index, VT_DISPATCH);
    IDispatch* object = value.get()->pdispVal;
    if (!object) {
        throw ArgumentError(DISP_E_TYPEMISMATCH, parameters_->cArgs - 1 - index);
    }
    return ComPtr<IDispatch>::Share(object);
}

void Invocation::ReturnLong(long value) const {
    if (result_) {
        Variant(value).Detach(result_);
    }
}

void Invocation::ReturnText(const std::string& text) const {
    if (result_) {
        Variant(text).Detach(result_);
    }
}

void Invocation::ReturnObject(ComPtr<IDispatch> object) const {
    if (result_) {
        ::VariantInit(result_);
        result_->vt = VT_DISPATCH;
        result_->pdispVal = object.release();
    }
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) {
        *info = nullptr;
    }
    return DISP_E_BADINDEX;
}

// Clients of the host call by dispatch id only.
HRESULT STDMETHODCALLTYPE DispatchObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID,
                                                        DISPID* ids) {
    for (UINT i = 0; ids && i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD kind,
                                                 DISPPARAMS* parameters, VARIANT* result,
                                                 EXCEPINFO* exception, UINT* badArgument) {
    if (result) {
        ::VariantInit(result);
    }
    // Keeps the object alive while it answers, whatever the call releases.
    const ComPtr<IDispatch> self = ComPtr<IDispatch>::Share(this);
    try {
        const Invocation call(kind, parameters, result);
        call.CheckPutArgument();
        return Answer(id, call) ? S_OK : DISP_E_MEMBERNOTFOUND;
    } catch (const ArgumentError& failure) {
        if (badArgument) {
            *badArgument = failure.index();
        }
        return failure.code();
    } catch (const std::exception& failure) {
        FillException(exception, failure.what());
        return DISP_E_EXCEPTION;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
