#include "host/coclass_type_info.h"

#include "host/module_state.h"
#include "host/provider_class_identity.h"

namespace norv::win {

HRESULT CoclassTypeInfo::Get(ITypeInfo** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    ModuleState& module = Module();
    CriticalSectionScope scope(module.TypeInfoSection());
    if (!cached_) {
        ComPtr<ITypeLib> library;
        NORV_RETURN_IF_FAILED(::LoadRegTypeLib(module.LibraryId(), kTypeLibraryMajorVersion,
                                               kTypeLibraryMinorVersion, kTypeLibraryLocale,
                                               library.put()));
        NORV_RETURN_IF_FAILED(library->GetTypeInfoOfGuid(clsid_, cached_.put()));
    }
    *out = ComPtr<ITypeInfo>(cached_).detach();
    return S_OK;
}

}  // namespace norv::win
