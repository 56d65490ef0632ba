// Module entry point. All process-wide construction is done by static objects;
// DllMain itself only refuses a process attach after a failed initialisation.
#include <windows.h>

namespace {
bool g_initializationFailed = false;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE /*module*/, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH && g_initializationFailed) return FALSE;
    return TRUE;
}
