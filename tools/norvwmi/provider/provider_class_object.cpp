#include "provider/provider_class_object.h"

#include <objbase.h>
#include <wbemcli.h>

#include "com/wbem_hresult.h"
#include "com/wide_text.h"

namespace norvwmi {

std::variant<norv::win::ComPtr<IClassFactory>, ClassObjectFailure> ProviderClassObject(
    const ProviderModule& module, const ProviderLookup& lookup) {
    CLSID clsid{};
    if (FAILED(::CLSIDFromString(Utf8ToWide(lookup.clsid).c_str(), &clsid)))
        return ClassObjectFailure{Wbem(WBEM_E_INVALID_PROVIDER_REGISTRATION),
                                  "the provider registration",
                                  "the CLSID of " + lookup.providerName + " is not a class id"};
    norv::win::ComPtr<IClassFactory> factory;
    const HRESULT hr = module.GetClassObject(clsid, factory);
    if (FAILED(hr))
        return ClassObjectFailure{
            hr, "DllGetClassObject",
            lookup.providerName + " " + lookup.clsid + " from " + WideToUtf8(module.Path())};
    return factory;
}

}  // namespace norvwmi
