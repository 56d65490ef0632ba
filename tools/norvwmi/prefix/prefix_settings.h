// What a prefix's WMI serves, as scripts/wmi-prefix.sh records it when it makes the prefix:
// values of HKLM\Software\Norvwmi\WmiPrefix in the registry view of the module's bitness.
//   WineLocator     the module that was the locator's InprocServer32 before (Wine's own WMI)
//   Platform        the platform description served (absent: the embedded default)
//   ProviderModule  the provider module (absent: Norvipmiprv.dll beside this module)
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace norvwmi {

inline constexpr const wchar_t* kWmiPrefixKey = L"Software\\Norvwmi\\WmiPrefix";

struct PrefixSettings {
    std::wstring wineLocator;
    std::optional<std::wstring> platformFile;
    std::wstring providerModule;
};

// The settings, or the registry's failure (a prefix without WineLocator has not been made).
HRESULT ReadPrefixSettings(HMODULE self, PrefixSettings& settings);

}  // namespace norvwmi
