#include "prefix/prefix_wmi.h"

#include <cstdio>
#include <mutex>

#include "com/admin_locator.h"
#include "com/com_apartment.h"
#include "com/wbem_hresult.h"
#include "com/wbem_status_names.h"
#include "com/wide_text.h"
#include "repository/mof_text.h"

namespace norvwmi {

namespace {

void WriteError(const std::string& text) {
    const std::string line = "norvwmi prefix: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

std::string Described(HRESULT status) {
    return DescribeStatus(static_cast<std::uint32_t>(status));
}

HRESULT ReadDescription(const std::wstring& path, std::string& text) {
    norv::win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return HRESULT_FROM_WIN32(::GetLastError());
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
            return HRESULT_FROM_WIN32(::GetLastError());
        if (read == 0) return S_OK;
        text.append(buffer, read);
    }
}

// A step that failed: why, written once, and its status.
HRESULT Refuse(HRESULT status, const std::string& what) {
    WriteError(what + ": " + Described(status));
    return status;
}

HRESULT Start(HMODULE self, PrefixWmi& wmi) {
    HRESULT status = ReadPrefixSettings(self, wmi.settings);
    if (FAILED(status))
        return Refuse(status, "no settings under HKLM\\" + WideToUtf8(kWmiPrefixKey) +
                                  " (scripts/wmi-prefix.sh makes them)");
    MofFile description = DefaultPlatformDescription();
    if (wmi.settings.platformFile) {
        description.name = WideToUtf8(*wmi.settings.platformFile);
        description.text.clear();
        status = ReadDescription(*wmi.settings.platformFile, description.text);
        if (FAILED(status))
            return Refuse(status, "cannot read the platform description " + description.name);
    }
    auto loaded = LoadPlatform(description, ComputerName());
    if (const MofError* error = std::get_if<MofError>(&loaded)) {
        WriteError(FormatMofError(*error));
        return Wbem(WBEM_E_INITIALIZATION_FAILURE);
    }
    wmi.platform = std::get<Platform>(std::move(loaded));
    status = wmi.providerModule.Load(wmi.settings.providerModule);
    if (FAILED(status))
        return Refuse(status, "cannot load " + WideToUtf8(wmi.settings.providerModule));
    status = wmi.wineModule.Load(wmi.settings.wineLocator);
    if (SUCCEEDED(status))
        status = wmi.wineModule.GetClassObject(kWbemLocatorClsid, wmi.wineLocator);
    if (FAILED(status))
        return Refuse(status, "Wine's locator in " + WideToUtf8(wmi.settings.wineLocator));
    wmi.parsers = RegisterWmiUtilityParsers();
    status = wmi.parsers.Status();
    if (SUCCEEDED(status)) status = RegisterAdminLocator(wmi.platform.served, wmi.adminLocator);
    if (FAILED(status)) return Refuse(status, "cannot register the host's WMI classes");
    wmi.host.served = wmi.platform.served;
    wmi.host.nameSpace = std::string(kServedNamespace);
    for (const ClassDefinition* definition :
         wmi.platform.classes->Declared().Classes(kServedNamespace))
        wmi.classNames.push_back(definition->name);
    return S_OK;
}

}  // namespace

HRESULT StartPrefixWmi(HMODULE self, PrefixWmi*& wmi) try {
    // The stand-in lives as long as the process, as the WMI service outlives its clients:
    // it is never torn down, since COM is gone by the time the process ends.
    static std::mutex startMutex;
    static PrefixWmi* started = nullptr;
    static HRESULT startStatus = S_FALSE;  // not tried yet
    const std::lock_guard<std::mutex> lock(startMutex);
    if (startStatus == S_FALSE) {
        started = new PrefixWmi();
        startStatus = Start(self, *started);
    }
    if (FAILED(startStatus)) return startStatus;
    wmi = started;
    return S_OK;
}
NORV_CATCH_RETURN()

void ReportPrefixProblems(const std::string& request, const std::vector<std::string>& problems) {
    for (const std::string& problem : problems)
        WriteError(request + ": provider fault: " + problem);
}

}  // namespace norvwmi
