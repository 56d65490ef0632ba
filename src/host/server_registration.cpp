#include "host/server_registration.h"

#include <string>

#include "host/class_registry_script.h"
#include "host/module_file.h"
#include "host/registry_writer.h"
#include "host/type_library_registration.h"
#include "platform/utf8_text.h"
#include "platform/win_resource.h"

namespace norv::win {

HRESULT UpdateClassRegistry(const ProviderClassIdentity& identity, HMODULE module,
                            RegistryMode mode) {
    std::wstring modulePath;
    NORV_RETURN_IF_FAILED(ReadModulePath(module, modulePath));
    const auto operations =
        PlanClassRegistry(identity, ToUtf8(modulePath), IsExecutableModule(module), mode);
    // The script names only variables that the replacement set holds.
    if (!operations) return E_UNEXPECTED;
    return ApplyRegistryOperations(HKEY_CLASSES_ROOT, *operations);
}

HRESULT RegisterServer(std::span<const ProviderClassRow> rows, HMODULE module) {
    for (const ProviderClassRow& row : rows) {
        NORV_RETURN_IF_FAILED(UpdateClassRegistry(*row.identity, module, RegistryMode::Register));
    }
    return RegisterModuleTypeLibrary(module);
}

HRESULT UnregisterServer(std::span<const ProviderClassRow> rows, HMODULE module) {
    for (const ProviderClassRow& row : rows) {
        NORV_RETURN_IF_FAILED(UpdateClassRegistry(*row.identity, module, RegistryMode::Unregister));
    }
    return UnregisterModuleTypeLibrary(module);
}

}  // namespace norv::win
