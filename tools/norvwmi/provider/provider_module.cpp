#include "provider/provider_module.h"

#include <vector>

namespace norvwmi {

namespace {

constexpr wchar_t kModuleFileName[] = L"Norvipmiprv.dll";

// GetProcAddress hands out every export as FARPROC; the cast through a function type
// without parameters is the one compilers accept without a warning.
template <typename Function>
Function Export(HMODULE module, const char* name) {
    const FARPROC address = ::GetProcAddress(module, name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> buffer(needed);
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    return std::wstring(buffer.data(), length);
}

}  // namespace

HRESULT ProviderModule::Load(const std::wstring& path) {
    module_.reset();
    getClassObject_ = nullptr;
    canUnloadNow_ = nullptr;
    path_ = FullPath(path);
    // As COM loads an InprocServer32: the module's own folder is searched for its imports.
    UniqueModule loaded(::LoadLibraryExW(path_.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!loaded) return HRESULT_FROM_WIN32(::GetLastError());
    const auto getClassObject = Export<GetClassObjectFunction>(loaded.get(), "DllGetClassObject");
    if (!getClassObject) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    getClassObject_ = getClassObject;
    canUnloadNow_ = Export<CanUnloadNowFunction>(loaded.get(), "DllCanUnloadNow");
    module_ = std::move(loaded);
    return S_OK;
}

HRESULT ProviderModule::GetClassObject(REFCLSID clsid,
                                       norv::win::ComPtr<IClassFactory>& factory) const {
    factory.reset();
    if (!getClassObject_) return E_UNEXPECTED;
    return getClassObject_(clsid, __uuidof(IClassFactory), factory.put_void());
}

HRESULT ProviderModule::CanUnloadNow() const {
    if (!canUnloadNow_) return S_FALSE;
    return canUnloadNow_();
}

std::wstring DefaultProviderModulePath(HMODULE beside) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(beside, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return kModuleFileName;
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            const std::size_t slash = path.find_last_of(L"\\/");
            path.erase(slash == std::wstring::npos ? 0 : slash + 1);
            return path + kModuleFileName;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace norvwmi
