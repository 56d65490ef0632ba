#include "com/admin_locator.h"

#include "com/wbem_hresult.h"
#include "com/wbem_services.h"
#include "com/wide_text.h"

namespace norvwmi {

AdminLocator::AdminLocator(std::shared_ptr<ServedNamespaces> served) : served_(std::move(served)) {}

HRESULT AdminLocator::ConnectServer(const BSTR networkResource, const BSTR, const BSTR, const BSTR,
                                    LONG, const BSTR, IWbemContext*,
                                    IWbemServices** nameSpace) try {
    if (!nameSpace) return Wbem(WBEM_E_INVALID_PARAMETER);
    *nameSpace = nullptr;
    if (!networkResource) return Wbem(WBEM_E_INVALID_NAMESPACE);
    const auto resolved = served_->ResolveNamespace(BstrToUtf8(networkResource));
    if (!resolved) return Wbem(WBEM_E_INVALID_NAMESPACE);
    HandOut(NamespaceServices::Create(served_, *resolved), nameSpace);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT RegisterAdminLocator(std::shared_ptr<ServedNamespaces> served,
                             FactoryRegistration& registration) try {
    auto factory = AdminLocatorFactory::Create(std::move(served));
    return registration.Register(kAdministrativeLocatorClsid, factory.get());
}
NORV_CATCH_RETURN()

}  // namespace norvwmi
