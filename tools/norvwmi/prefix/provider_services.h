// IWbemServices of the provider's namespace in a prefix's WMI: what a client's ConnectServer
// gets, each request served as WMI serves it, through the provider registered for the class
// (provider/provider_call.h), with the host's repository for class definitions:
//   GetObject           a class path from the repository, an instance through the provider
//   CreateInstanceEnum  through the provider
//   ExecQuery           SELECT with an optional WHERE: the class enumerated through its
//                       provider, then filtered and projected, as WMI does for a provider
//                       that takes no queries; ASSOCIATORS OF and REFERENCES OF through the
//                       providers (repository/association_query.h)
//   ExecMethod          through the class's method provider
// With WBEM_FLAG_RETURN_IMMEDIATELY a query's failure comes from the enumerator's first
// Next, as from WMI. IClientSecurity is answered as by Wine's own WMI, which is in-process
// too: clients set a proxy blanket on what they get. Everything else is WBEM_E_NOT_SUPPORTED.
#pragma once

#include <wbemcli.h>

#include "com/host_com_object.h"
#include "prefix/prefix_wmi.h"

namespace norvwmi {

class ProviderServices final : public ComObject<ProviderServices, IWbemServices, IClientSecurity> {
public:
    explicit ProviderServices(const PrefixWmi& wmi) : wmi_(wmi) {}

    HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR nameSpace, LONG flags, IWbemContext* context,
                                            IWbemServices** opened,
                                            IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG flags, IWbemObjectSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetObject(const BSTR path, LONG flags, IWbemContext* context,
                                        IWbemClassObject** object,
                                        IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR path, LONG flags, IWbemContext* context,
                                             IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject* object, LONG flags, IWbemContext* context,
                                       IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject* object, LONG flags,
                                            IWbemContext* context, IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR className, LONG flags, IWbemContext* context,
                                          IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR className, LONG flags,
                                               IWbemContext* context,
                                               IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR superclass, LONG flags,
                                              IWbemContext* context,
                                              IEnumWbemClassObject** classes) override;
    HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR superclass, LONG flags,
                                                   IWbemContext* context,
                                                   IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject* instance, LONG flags,
                                          IWbemContext* context,
                                          IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject* instance, LONG flags,
                                               IWbemContext* context,
                                               IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR path, LONG flags, IWbemContext* context,
                                             IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR path, LONG flags,
                                                  IWbemContext* context,
                                                  IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR className, LONG flags,
                                                 IWbemContext* context,
                                                 IEnumWbemClassObject** instances) override;
    HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR className, LONG flags,
                                                      IWbemContext* context,
                                                      IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags,
                                        IWbemContext* context,
                                        IEnumWbemClassObject** results) override;
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR language, const BSTR query, LONG flags,
                                             IWbemContext* context, IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE ExecNotificationQuery(const BSTR language, const BSTR query,
                                                    LONG flags, IWbemContext* context,
                                                    IEnumWbemClassObject** events) override;
    HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR language, const BSTR query,
                                                         LONG flags, IWbemContext* context,
                                                         IWbemObjectSink* sink) override;
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR path, const BSTR method, LONG flags,
                                         IWbemContext* context, IWbemClassObject* inParameters,
                                         IWbemClassObject** outParameters,
                                         IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR path, const BSTR method, LONG flags,
                                              IWbemContext* context, IWbemClassObject* inParameters,
                                              IWbemObjectSink* sink) override;

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
