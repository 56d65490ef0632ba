// The module's five entry points and its class-table state. All process-wide construction
// is done by static objects (load_order.h); DllMain itself only refuses a process attach
// after a failed initialisation.
#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include "host/class_table.h"
#include "host/module_state.h"
#include "host/server_registration.h"
#include "module/served_classes.h"
#include "platform/load_order.h"
#include "platform/win_resource.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HMODULE ThisModule() noexcept {
    return reinterpret_cast<HMODULE>(&__ImageBase);
}

NORV_LOAD_ORDER(kLoadOrderClassTable)
norv::win::ClassTable g_classTable{norv::win::ServedProviderClasses()};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE /*module*/, DWORD reason, LPVOID /*reserved*/) {
    const bool initializationFailed =
        norv::win::Module().InitializationFailed() || g_classTable.InitializationFailed();
    if (reason == DLL_PROCESS_ATTACH && initializationFailed) return FALSE;
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return norv::win::Module().LockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    return g_classTable.GetClassObject(clsid, iid, out);
}

STDAPI DllRegisterServer() try {
    return norv::win::RegisterServer(g_classTable.Rows(), ThisModule());
}
NORV_CATCH_RETURN()

STDAPI DllUnregisterServer() try {
    const HRESULT hr = norv::win::UnregisterServer(g_classTable.Rows(), ThisModule());
    return SUCCEEDED(hr) ? S_OK : hr;
}
NORV_CATCH_RETURN()
