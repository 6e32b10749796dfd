// One reference to an automation object of the host, called by dispatch id.
#pragma once

#include "base/com_ptr.h"
#include "base/com_variant.h"

#include <oaidl.h>

#include <initializer_list>
#include <string>

class DispatchRef {
public:
    DispatchRef() = default;
    explicit DispatchRef(ComPtr<IDispatch> object) : object_(std::move(object)) {}

    IDispatch* get() const noexcept { return object_.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(object_); }

    // Each throws HostError with the host's text when the call fails.
    long GetLong(DISPID id, std::initializer_list<const Variant*> args = {}) const;
    std::string GetText(DISPID id, std::initializer_list<const Variant*> args = {}) const;
    ComPtr<IDispatch> GetObject(DISPID id, std::initializer_list<const Variant*> args = {}) const;
    void Put(DISPID id, const Variant& value) const;
    void Call(DISPID id, std::initializer_list<const Variant*> args = {}) const;
    ComPtr<IDispatch> CallForObject(DISPID id, std::initializer_list<const Variant*> args) const;

private:
    void Invoke(DISPID id, WORD kind, std::initializer_list<const Variant*> args,
                VARIANT* result) const;

    ComPtr<IDispatch> object_;
};
