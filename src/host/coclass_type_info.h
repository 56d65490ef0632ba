// The type information of one provider class's coclass, for IProvideClassInfo::GetClassInfo.
// The type library is loaded through its registration on first use; what it gives is kept
// until the holder goes, at module unload. Each provider class owns one holder.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include "platform/win_resource.h"

namespace norv::win {

class CoclassTypeInfo {
public:
    explicit CoclassTypeInfo(const GUID& clsid) noexcept : clsid_(clsid) {}
    CoclassTypeInfo(const CoclassTypeInfo&) = delete;
    CoclassTypeInfo& operator=(const CoclassTypeInfo&) = delete;

    // A new reference to the coclass's ITypeInfo. A null `out` gives E_POINTER; a library
    // that is not registered gives the loader's error (TYPE_E_LIBNOTREGISTERED).
    HRESULT Get(ITypeInfo** out) noexcept;

private:
    GUID clsid_;
    ComPtr<ITypeInfo> cached_;
};

}  // namespace norv::win
