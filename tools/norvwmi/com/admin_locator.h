// The administrative WMI locator as the host plays it: registered in the host's own
// process under {CB8555CC-9128-11D1-AD9B-00C04FD8FDFF}, its ConnectServer hands out the
// served namespaces ("root\wmi", "\\.\root\wmi", "//./root/wmi", any letter case); an
// unknown namespace or another server gives WBEM_E_INVALID_NAMESPACE.
#pragma once

#include <wbemcli.h>

#include <memory>

#include "com/factory_registration.h"
#include "com/host_class_factory.h"
#include "com/host_com_object.h"
#include "repository/served_namespaces.h"

namespace norvwmi {

inline constexpr CLSID kAdministrativeLocatorClsid = {
    0xcb8555cc, 0x9128, 0x11d1, {0xad, 0x9b, 0x00, 0xc0, 0x4f, 0xd8, 0xfd, 0xff}};

class AdminLocator final : public ComObject<AdminLocator, IWbemLocator> {
public:
    explicit AdminLocator(std::shared_ptr<ServedNamespaces> served);

    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR networkResource, const BSTR user,
                                            const BSTR password, const BSTR locale,
                                            LONG securityFlags, const BSTR authority,
                                            IWbemContext* context,
                                            IWbemServices** nameSpace) override;

private:
    const std::shared_ptr<ServedNamespaces> served_;
};

using AdminLocatorFactory = HostClassFactory<AdminLocator, std::shared_ptr<ServedNamespaces>>;

// Registers the locator's class factory for this process (call after COM is initialised).
HRESULT RegisterAdminLocator(std::shared_ptr<ServedNamespaces> served,
                             FactoryRegistration& registration);

}  // namespace norvwmi
