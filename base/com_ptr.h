// Owner of one COM interface reference.
#pragma once

#include "base/win32.h"

#include <unknwn.h>

#include <utility>

template <typename Interface> class ComPtr {
public:
    ComPtr() noexcept = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(Interface* owned) noexcept : pointer_(owned) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(other.release()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    // A second reference to the same object.
    static ComPtr Share(Interface* borrowed) noexcept {
        if (borrowed) {
            borrowed->AddRef();
        }
        return ComPtr(borrowed);
    }

    Interface* get() const noexcept { return pointer_; }
    Interface* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    Interface* release() noexcept { return std::exchange(pointer_, nullptr); }
    void reset(Interface* owned = nullptr) noexcept {
        Interface* old = std::exchange(pointer_, owned);
        if (old) {
            old->Release();
        }
    }
    // For calls that hand out a new reference through an out parameter.
    Interface** put() noexcept {
        reset();
        return &pointer_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

private:
    Interface* pointer_ = nullptr;
};
