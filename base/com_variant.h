// Owners of the automation value types: a VARIANT cleared and a BSTR freed
// when their owner goes.
#pragma once

#include "base/ansi_text.h"
#include "base/win32.h"

#include <oleauto.h>

#include <string>
#include <utility>

class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(const std::string& ansi) {
        const std::wstring wide = WideFromAnsi(ansi);
        value_ = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.value_, nullptr));
        }
        return *this;
    }
    ~Bstr() { reset(); }

    BSTR get() const noexcept { return value_; }
    BSTR release() noexcept { return std::exchange(value_, nullptr); }
    void reset(BSTR owned = nullptr) noexcept { ::SysFreeString(std::exchange(value_, owned)); }
    BSTR* put() noexcept {
        reset();
        return &value_;
    }
    std::string Ansi() const { return AnsiFromWide(value_, ::SysStringLen(value_)); }

private:
    BSTR value_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { ::VariantInit(&value_); }
    explicit Variant(long number) noexcept : Variant() {
        value_.vt = VT_I4;
        value_.lVal = number;
    }
    explicit Variant(const std::string& ansi) : Variant() {
        Bstr text(ansi);
        value_.vt = VT_BSTR;
        value_.bstrVal = text.release();
    }
    // Holds its own reference to the object.
    explicit Variant(IDispatch* object) noexcept : Variant() {
        value_.vt = VT_DISPATCH;
        value_.pdispVal = object;
        if (object) {
            object->AddRef();
        }
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
    ~Variant() { ::VariantClear(&value_); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }
    // Cleared first, for calls that fill it.
    VARIANT* put() noexcept {
        ::VariantClear(&value_);
        return &value_;
    }
    // Moves the value out to a caller-owned VARIANT.
    void Detach(VARIANT* destination) noexcept {
        *destination = value_;
        ::VariantInit(&value_);
    }

private:
    VARIANT value_;
};
