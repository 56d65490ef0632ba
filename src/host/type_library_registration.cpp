#include "host/type_library_registration.h"

#include <oleauto.h>

#include <string>

#include "host/module_file.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

// The library and the path it was loaded from.
HRESULT LoadModuleTypeLibrary(HMODULE module, ComPtr<ITypeLib>& library, std::wstring& path) {
    NORV_RETURN_IF_FAILED(ReadModulePath(module, path));
    const HRESULT fromModule = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
    if (SUCCEEDED(fromModule)) return fromModule;

    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t separator = path.find_last_of(L"\\/");
    if (dot != std::wstring::npos && (separator == std::wstring::npos || dot > separator)) {
        path.erase(dot);
    }
    path += L".tlb";
    return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
}

}  // namespace

HRESULT RegisterModuleTypeLibrary(HMODULE module) {
    ComPtr<ITypeLib> library;
    std::wstring path;
    NORV_RETURN_IF_FAILED(LoadModuleTypeLibrary(module, library, path));
    std::wstring helpDirectory = DirectoryOf(path);
    return ::RegisterTypeLib(library.get(), path.data(), helpDirectory.data());
}

HRESULT UnregisterModuleTypeLibrary(HMODULE module) {
    ComPtr<ITypeLib> library;
    std::wstring path;
    NORV_RETURN_IF_FAILED(LoadModuleTypeLibrary(module, library, path));
    TLIBATTR* attributes = nullptr;
    NORV_RETURN_IF_FAILED(library->GetLibAttr(&attributes));
    const TLIBATTR attr = *attributes;
    library->ReleaseTLibAttr(attributes);
    return ::UnRegisterTypeLib(attr.guid, attr.wMajorVerNum, attr.wMinorVerNum, attr.lcid,
                               attr.syskind);
}

}  // namespace norv::win
