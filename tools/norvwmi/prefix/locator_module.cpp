// norvwmi_wbem.dll: the stand-in as an in-process COM server, registered by
// scripts/wmi-prefix.sh as the InprocServer32 of WMI's locator class in a Wine prefix.
#include <windows.h>

#include "com/wbem_hresult.h"
#include "prefix/prefix_locator.h"
#include "prefix/prefix_wmi.h"

namespace {

HMODULE g_self = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) try {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!::IsEqualCLSID(clsid, norvwmi::kWbemLocatorClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    norvwmi::PrefixWmi* wmi = nullptr;
    NORV_RETURN_IF_FAILED(norvwmi::StartPrefixWmi(g_self, wmi));
    return norvwmi::PrefixLocatorFactory::Create(*wmi)->QueryInterface(iid, object);
}
NORV_CATCH_RETURN()

// Like the WMI service, the stand-in stays once started: what it loaded serves the process.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return S_FALSE;
}
