// One owner template for every kind of handle: the traits say what "no
// handle" is and how to give one back, the template does the rest.
#pragma once

#include "base/win32.h"

#include <utility>

template <typename Traits> class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Type value) noexcept : value_(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueResource() { reset(); }

    Type get() const noexcept { return value_; }
    bool valid() const noexcept { return value_ != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // Gives up ownership without closing.
    Type release() noexcept { return std::exchange(value_, Traits::invalid()); }

    void reset(Type value = Traits::invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }

private:
    Type value_ = Traits::invalid();
};

// Handles whose "none" is a null value, given back by one platform call.
template <typename T, auto Close> struct NullHandleTraits {
    using Type = T;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { Close(h); }
};

// CreateFile and FindFirstFile report failure as INVALID_HANDLE_VALUE.
template <auto Close> struct InvalidValueHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { Close(h); }
};

using UniqueHandle = UniqueResource<NullHandleTraits<HANDLE, ::CloseHandle>>;
using UniqueFile = UniqueResource<InvalidValueHandleTraits<::CloseHandle>>;
using UniqueFind = UniqueResource<InvalidValueHandleTraits<::FindClose>>;
using UniqueModule = UniqueResource<NullHandleTraits<HMODULE, ::FreeLibrary>>;
using UniqueWindow = UniqueResource<NullHandleTraits<HWND, ::DestroyWindow>>;
using UniqueMenu = UniqueResource<NullHandleTraits<HMENU, ::DestroyMenu>>;
using UniqueAccelerators = UniqueResource<NullHandleTraits<HACCEL, ::DestroyAcceleratorTable>>;
using UniqueIcon = UniqueResource<NullHandleTraits<HICON, ::DestroyIcon>>;
using UniqueFont = UniqueResource<NullHandleTraits<HFONT, ::DeleteObject>>;
using UniqueBrush = UniqueResource<NullHandleTraits<HBRUSH, ::DeleteObject>>;
using UniquePen = UniqueResource<NullHandleTraits<HPEN, ::DeleteObject>>;
using UniqueBitmap = UniqueResource<NullHandleTraits<HBITMAP, ::DeleteObject>>;
