// The stand-in as a Wine prefix's WMI, once per process: the platform description the prefix
// was made with, the provider module loaded as the host loads it, the host's administrative
// locator and utility parsers registered in the process for the provider's own queries, and
// Wine's own locator, to which every namespace that is not the provider's is handed.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <string>
#include <vector>

#include "com/factory_registration.h"
#include "com/utility_parsers.h"
#include "prefix/prefix_settings.h"
#include "provider/provider_call.h"
#include "provider/provider_module.h"
#include "simulated_driver/platform_loading.h"

namespace norvwmi {

// {4590F811-1D3A-11D0-891F-00AA004B2E24}, WMI's locator: the class whose InprocServer32
// this module is in the prefix.
inline constexpr CLSID kWbemLocatorClsid = {
    0x4590f811, 0x1d3a, 0x11d0, {0x89, 0x1f, 0x00, 0xaa, 0x00, 0x4b, 0x2e, 0x24}};

struct PrefixWmi {
    PrefixSettings settings;
    Platform platform;
    ProviderModule providerModule;
    ProviderModule wineModule;
    norv::win::ComPtr<IClassFactory> wineLocator;
    UtilityParserRegistration parsers;
    FactoryRegistration adminLocator;
    ProviderHost host;
    std::vector<std::string> classNames;  // the provider namespace's classes
};

// The process's one PrefixWmi, made at the first call; the same failure every later call
// when it cannot be made (its reason is written once to standard error).
HRESULT StartPrefixWmi(HMODULE self, PrefixWmi*& wmi);

// A provider fault, written to standard error as a client process shows it.
void ReportPrefixProblems(const std::string& request, const std::vector<std::string>& problems);

}  // namespace norvwmi
