// Registration of the module's embedded type library.
#pragma once

#include <windows.h>

namespace norv::win {

// Loads the type library from the module's file (failing that, from the file of the same
// path with the extension ".tlb") and registers it with the module's directory as help
// directory.
HRESULT RegisterModuleTypeLibrary(HMODULE module);

// Loads the type library as for registration and removes its registration.
HRESULT UnregisterModuleTypeLibrary(HMODULE module);

}  // namespace norv::win
