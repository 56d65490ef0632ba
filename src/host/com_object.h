// What every COM object of the module does alike: QueryInterface over the interfaces it
// implements, and a reference count that the object's Release turns into its deletion.
#pragma once

#include <windows.h>

#include <unknwn.h>

namespace norv::win {

// Answers QueryInterface for IUnknown (through the first interface listed) and for each
// listed interface, with a reference taken on success.
template <typename First, typename... Others, typename Object>
HRESULT QueryInterfaceAmong(Object* object, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(First)) {
        *out = static_cast<First*>(object);
    } else {
        (void)((iid == __uuidof(Others) && (*out = static_cast<Others*>(object)) != nullptr) ||
               ...);
    }
    if (!*out) return E_NOINTERFACE;
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

// A COM object's reference count. Its Release deletes the object when Remove reaches zero.
class ReferenceCount {
public:
    ULONG Add() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&count_)); }
    // The count left after this release.
    ULONG Remove() noexcept { return static_cast<ULONG>(::InterlockedDecrement(&count_)); }

private:
    LONG count_ = 0;
};

}  // namespace norv::win
