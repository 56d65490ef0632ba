// A row of the class table: a provider class's identity, its CLSID as a GUID and the
// creator of its objects.
#pragma once

#include <windows.h>

#include <new>
#include <span>

#include "host/guid_text.h"
#include "host/provider_class_identity.h"
#include "platform/win_resource.h"

namespace norv::win {

// Makes a new provider object and asks it for `iid`; the object is destroyed again if it
// does not answer. Out of memory gives E_OUTOFMEMORY.
using ProviderCreator = HRESULT (*)(REFIID iid, void** out);

struct ProviderClassRow {
    const ProviderClassIdentity* identity = nullptr;
    GUID clsid{};
    ProviderCreator create = nullptr;
};

constexpr GUID ToGuid(const GuidFields& f) noexcept {
    return {f.data1,
            f.data2,
            f.data3,
            {f.data4[0], f.data4[1], f.data4[2], f.data4[3], f.data4[4], f.data4[5], f.data4[6],
             f.data4[7]}};
}

// The GUID of a braced GUID text; malformed text does not compile in a constant expression.
constexpr GUID GuidOf(std::string_view text) {
    return ToGuid(ParseGuidText(text).value());
}

constexpr ProviderClassRow MakeProviderClassRow(const ProviderClassIdentity& identity,
                                                ProviderCreator create) {
    return {&identity, GuidOf(identity.clsid), create};
}

// The creator of a provider class T: T starts with no reference and its constructor takes
// the module lock (ModuleLockHolder), so the object dies and gives the lock back if the
// interface is refused.
template <typename T>
HRESULT CreateProviderObject(REFIID iid, void** out) noexcept try {
    T* object = new (std::nothrow) T();
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}
NORV_CATCH_RETURN()

// The creator of a provider class's objects, defined beside its provider as an explicit
// specialization (`return CreateProviderObject<NorvXProv>(iid, out);`), so that the class table
// takes every row of kProviderClassIdentities without naming a provider: a row whose provider
// defines no creator does not link.
template <ProviderClass Served>
HRESULT CreateProvider(REFIID iid, void** out) noexcept;

}  // namespace norv::win
