// Applies a plan of registry operations below a root key with the registry API.
#pragma once

#include <windows.h>

#include <span>

#include "host/registry_script.h"

namespace norv::win {

// Applies `operations` in order below `root`, stopping at the first failure and returning
// it as an HRESULT. Deleting what is already absent succeeds; DeleteKey leaves a key that
// still has subkeys (ones the script does not name) in place.
HRESULT ApplyRegistryOperations(HKEY root, std::span<const RegistryOperation> operations);

}  // namespace norv::win
