// IWbemServices of the provider's namespace in a prefix's WMI: what a client's ConnectServer
// gets, each request served as WMI serves it, through the provider registered for the class
// (provider/provider_call.h), with the host's repository for class definitions:
//   GetObject           a class path from the repository, an instance through the provider
//   CreateInstanceEnum  through the provider
//   ExecQuery           SELECT with an optional WHERE, as the program's queries through the
//                       providers (provider/provider_query.h); ASSOCIATORS OF and
//                       REFERENCES OF through the providers (repository/association_query.h)
//   ExecMethod          through the class's method provider, with the client's in-parameters
// With WBEM_FLAG_RETURN_IMMEDIATELY a query's failure comes from the enumerator's first
// Next, as from WMI. IClientSecurity is answered as by Wine's own WMI, which is in-process
// too: clients set a proxy blanket on what they get. Everything else is WBEM_E_NOT_SUPPORTED
// (com/wbem_services_object.h).
#pragma once

#include <wbemcli.h>

#include "com/wbem_services_object.h"
#include "prefix/prefix_wmi.h"

namespace norvwmi {

class ProviderServices final : public WbemServicesObject<ProviderServices, IClientSecurity> {
public:
    explicit ProviderServices(const PrefixWmi& wmi) : wmi_(wmi) {}

    HRESULT STDMETHODCALLTYPE GetObject(const BSTR path, LONG flags, IWbemContext* context,
                                        IWbemClassObject** object,
                                        IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR className, LONG flags,
                                                 IWbemContext* context,
                                                 IEnumWbemClassObject** instances) override;
    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags,
                                        IWbemContext* context,
                                        IEnumWbemClassObject** results) override;
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR path, const BSTR method, LONG flags,
                                         IWbemContext* context, IWbemClassObject* inParameters,
                                         IWbemClassObject** outParameters,
                                         IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE QueryBlanket(IUnknown* proxy, DWORD* authentication,
                                           DWORD* authorization, OLECHAR** principal, DWORD* level,
                                           DWORD* impersonation, void** identity,
                                           DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE SetBlanket(IUnknown* proxy, DWORD authentication, DWORD authorization,
                                         OLECHAR* principal, DWORD level, DWORD impersonation,
                                         void* identity, DWORD capabilities) override;
    HRESULT STDMETHODCALLTYPE CopyProxy(IUnknown* proxy, IUnknown** copy) override;

private:
    // One request through the providers; its provider faults are reported.
    ProviderOutcome Run(const ProviderRequest& request) const;
    // Where the namespace's objects are, as their __PATH names it.
    ObjectSource Source() const;

    const PrefixWmi& wmi_;
};

}  // namespace norvwmi
