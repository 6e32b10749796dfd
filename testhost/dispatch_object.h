// The host's side of automation: a reference-counted IDispatch whose calls
// arrive as one Invocation per dispatch id, answered or refused in the ways
// automation clients expect.
#pragma once

#include "base/com_variant.h"
#include "testhost/com_object.h"

#include <oaidl.h>

#include <stdexcept>
#include <string>

// Raised by an operation: reaches the client as DISP_E_EXCEPTION with this
// text in its EXCEPINFO.
class AutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One call of a dispatch id: its kind, its arguments in the order the client
// wrote them, and where its result goes.
class Invocation {
public:
    Invocation(WORD kind, DISPPARAMS* parameters, VARIANT* result)
        : kind_(kind), parameters_(parameters), result_(result) {}

    bool IsGet() const { return (kind_ & DISPATCH_PROPERTYGET) != 0; }
    bool IsPut() const { return (kind_ & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
    bool IsCall() const { return (kind_ & DISPATCH_METHOD) != 0; }

    // Throws unless a put passes its value as the named put argument.
    void CheckPutArgument() const;
    // Throws unless exactly `count` arguments came, a put's value included.
    void RequireArguments(unsigned count) const;

    // Arguments count from 0, the value of a property put being the last.
    long LongArgument(unsigned index) const;
    std::string TextArgument(unsigned index) const;
    ComPtr<IDispatch> ObjectArgument(unsigned index) const;

    void ReturnLong(long value) const;
    void ReturnText(const std::string& text) const;
    void ReturnObject(ComPtr<IDispatch> object) const;

private:
    const VARIANT& Argument(unsigned index) const;
    Variant Coerced(unsigned index, VARTYPE type) const;

    WORD kind_;
    DISPPARAMS* parameters_;
    VARIANT* result_;
};

class DispatchObject : public ComObject<IDispatch, IID_IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override;

protected:
    // Answers the call, or returns false when this object has no member
    // `id` of that kind. Throws AutomationError to fail it.
    virtual bool Answer(DISPID id, const Invocation& call) = 0;
};

// Argument problems found while answering, reported as the matching
// dispatch error rather than as an exception of the host.
class ArgumentError : public std::runtime_error {
public:
    ArgumentError(HRESULT code, unsigned index)
        : std::runtime_error("bad argument"), code_(code), index_(index) {}
    HRESULT code() const { return code_; }
    unsigned index() const { return index_; }

private:
    HRESULT code_;
    unsigned index_;
};
