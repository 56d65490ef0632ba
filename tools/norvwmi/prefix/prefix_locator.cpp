#include "prefix/prefix_locator.h"

#include "com/wbem_hresult.h"
#include "com/wide_text.h"
#include "prefix/provider_services.h"
#include "repository/name_compare.h"

namespace norvwmi {

HRESULT PrefixLocator::ConnectServer(const BSTR networkResource, const BSTR user,
                                     const BSTR password, const BSTR locale, LONG securityFlags,
                                     const BSTR authority, IWbemContext* context,
                                     IWbemServices** nameSpace) try {
    if (!nameSpace) return Wbem(WBEM_E_INVALID_PARAMETER);
    *nameSpace = nullptr;
    if (networkResource) {
        const auto resolved = wmi_.host.served->ResolveNamespace(WideToUtf8(networkResource));
        if (resolved && SameName(*resolved, wmi_.host.nameSpace)) {
            HandOut(ProviderServices::Create(wmi_), nameSpace);
            return WBEM_S_NO_ERROR;
        }
    }
    norv::win::ComPtr<IWbemLocator> wine;
    NORV_RETURN_IF_FAILED(
        wmi_.wineLocator->CreateInstance(nullptr, IID_IWbemLocator, wine.put_void()));
    return wine->ConnectServer(networkResource, user, password, locale, securityFlags, authority,
                               context, nameSpace);
}
NORV_CATCH_RETURN()

}  // namespace norvwmi
