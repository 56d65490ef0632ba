// A provider's module, loaded as COM loads an in-process server: LoadLibrary, then its
// DllGetClassObject for the provider's class id. COM's CoGetClassObject finds the module
// through the InprocServer32 key that DllRegisterServer writes and calls the same export;
// the host takes the module's path from its command line instead, so nothing needs to be
// registered and a test build never touches the registry. DllCanUnloadNow, which COM asks
// before it frees an idle module, tells whether the module still holds objects.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <string>

#include "platform/win_resource.h"

namespace norvwmi {

namespace detail {
inline BOOL CloseModule(HMODULE module) noexcept {
    return ::FreeLibrary(module);
}
}  // namespace detail

using UniqueModule = norv::win::UniqueResource<HMODULE, detail::CloseModule, nullptr>;

class ProviderModule {
public:
    ProviderModule() = default;

    // Loads the module (a relative path is taken from the current folder). The failure
    // of LoadLibrary, or HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND) for a module without
    // DllGetClassObject.
    HRESULT Load(const std::wstring& path);
    bool IsLoaded() const { return static_cast<bool>(module_); }
    const std::wstring& Path() const { return path_; }

    // DllGetClassObject(clsid, IID_IClassFactory).
    HRESULT GetClassObject(REFCLSID clsid, norv::win::ComPtr<IClassFactory>& factory) const;

    // DllCanUnloadNow: S_OK when the module holds no object and no lock. A module without
    // the export answers S_FALSE, as COM then never unloads it.
    HRESULT CanUnloadNow() const;

private:
    using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

    UniqueModule module_;
    std::wstring path_;
    GetClassObjectFunction getClassObject_ = nullptr;
    CanUnloadNowFunction canUnloadNow_ = nullptr;
};

// Norvipmiprv.dll in the folder of `beside` (a loaded module), or of the running program.
std::wstring DefaultProviderModulePath(HMODULE beside = nullptr);

}  // namespace norvwmi
