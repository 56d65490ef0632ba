// The registry entries of one provider class under HKEY_CLASSES_ROOT: its ProgID, its
// version-independent ProgID and its CLSID subtree, written through the registrar script
// below with the module's and the class's replacement variables.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "host/provider_class_identity.h"
#include "host/registry_script.h"

namespace norv {

inline constexpr std::string_view kInprocServerKey = "InprocServer32";
inline constexpr std::string_view kLocalServerKey = "LocalServer32";
inline constexpr std::string_view kThreadingModel = "both";

// The same tree for every class; the class comes in through the variables ProgID,
// VIProgID, CLSID and FriendlyName.
std::span<const RegistryNode> ClassRegistryScript() noexcept;

// Variables every script may use: Module and Module_Raw (the module's full path, unquoted),
// MODULEGUID (the LIBID in braces), MODULETYPE (the server key for a DLL or an executable)
// and APPID (empty).
Replacements ModuleReplacements(std::string_view modulePath, bool moduleIsExecutable);

// The module's variables plus the class's FriendlyName, ProgID, VIProgID and CLSID.
Replacements ClassReplacements(const ProviderClassIdentity& identity,
                               Replacements moduleReplacements);

// The registry operations that register or unregister one class of the given module.
std::optional<std::vector<RegistryOperation>> PlanClassRegistry(
    const ProviderClassIdentity& identity, std::string_view modulePath, bool moduleIsExecutable,
    RegistryMode mode);

}  // namespace norv
