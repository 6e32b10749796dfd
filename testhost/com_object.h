// The IUnknown half of the host's COM objects: one interface, counted
// references, deleted with the last one.
#pragma once

#include "base/com_ptr.h"

#include <utility>

template <typename Interface, const IID& InterfaceId> class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // A new object of type T holding the one reference the caller gets.
    template <typename T, typename... Args> static ComPtr<Interface> Make(Args&&... args) {
        return ComPtr<Interface>(new T(std::forward<Args>(args)...));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, InterfaceId)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    ULONG references_ = 1;
};
