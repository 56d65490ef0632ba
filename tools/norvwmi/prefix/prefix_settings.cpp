#include "prefix/prefix_settings.h"

#include <vector>

#include "platform/win_resource.h"
#include "provider/provider_module.h"

namespace norvwmi {

namespace {

// A REG_SZ value; nullopt when it is absent, else the registry's failure in `status`.
std::optional<std::wstring> StringValue(HKEY key, const wchar_t* name, HRESULT& status) {
    DWORD bytes = 0;
    LSTATUS read = ::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    if (read == ERROR_FILE_NOT_FOUND) return std::nullopt;
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1);
    if (read == ERROR_SUCCESS)
        read = ::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
    if (read != ERROR_SUCCESS) {
        status = HRESULT_FROM_WIN32(read);
        return std::nullopt;
    }
    return std::wstring(text.data());
}

}  // namespace

HRESULT ReadPrefixSettings(HMODULE self, PrefixSettings& settings) {
    norv::win::UniqueHkey key;
    const LSTATUS opened =
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWmiPrefixKey, 0, KEY_QUERY_VALUE, key.put());
    if (opened != ERROR_SUCCESS) return HRESULT_FROM_WIN32(opened);
    HRESULT status = S_OK;
    auto wineLocator = StringValue(key.get(), L"WineLocator", status);
    settings.platformFile = StringValue(key.get(), L"Platform", status);
    auto providerModule = StringValue(key.get(), L"ProviderModule", status);
    if (FAILED(status)) return status;
    if (!wineLocator) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    settings.wineLocator = std::move(*wineLocator);
    settings.providerModule = providerModule.value_or(DefaultProviderModulePath(self));
    return S_OK;
}

}  // namespace norvwmi
