// The reference counting and QueryInterface that every COM object of the host shares,
// and a count of the host's live objects: a test that hands out objects and releases
// every reference sees the count return to where it was.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <atomic>
#include <utility>

#include "platform/win_resource.h"

namespace norvwmi {

// The host's COM objects alive now (all kinds together).
long LiveComObjects();

namespace detail {
void CountComObject(long delta);
}

// Derived implements the interfaces; it is created with one reference by Create and
// deletes itself when the last reference goes.
template <typename Derived, typename FirstInterface, typename... OtherInterfaces>
class ComObject : public FirstInterface, public OtherInterfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // Throws std::bad_alloc, as every constructor of the host may.
    template <typename... Args>
    static norv::win::ComPtr<Derived> Create(Args&&... args) {
        return norv::win::ComPtr<Derived>::attach(new Derived(std::forward<Args>(args)...));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == __uuidof(IUnknown)) {
            *object = static_cast<FirstInterface*>(this);
        } else if (!Offer<FirstInterface, OtherInterfaces...>(iid, object)) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

protected:
    ComObject() { detail::CountComObject(+1); }
    virtual ~ComObject() { detail::CountComObject(-1); }

private:
    template <typename Interface, typename... Rest>
    bool Offer(REFIID iid, void** object) {
        if (iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            return true;
        }
        if constexpr (sizeof...(Rest) > 0) {
            return Offer<Rest...>(iid, object);
        } else {
            return false;
        }
    }

    std::atomic<ULONG> references_{1};
};

// Hands a new reference to an out-parameter of a COM method.
template <typename Interface, typename Object>
void HandOut(const norv::win::ComPtr<Object>& object, Interface** out) {
    Interface* pointer = object.get();
    pointer->AddRef();
    *out = pointer;
}

}  // namespace norvwmi
