// Self-registration of the module: every provider class's registry entries under
// HKEY_CLASSES_ROOT, then the type library.
#pragma once

#include <windows.h>

#include <span>

#include "host/provider_class_row.h"
#include "host/registry_script.h"

namespace norv::win {

// Writes or removes one class's entries for `module` (a class's UpdateRegistry).
HRESULT UpdateClassRegistry(const ProviderClassIdentity& identity, HMODULE module,
                            RegistryMode mode);

// Registers each row in order, then the type library; the first failure ends the work and
// is returned, leaving the rows before it registered.
HRESULT RegisterServer(std::span<const ProviderClassRow> rows, HMODULE module);

// Unregisters each row in order, then the type library; the first failure is returned.
HRESULT UnregisterServer(std::span<const ProviderClassRow> rows, HMODULE module);

}  // namespace norv::win
