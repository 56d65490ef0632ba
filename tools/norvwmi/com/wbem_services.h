// IWbemServices for one namespace the host serves: what ConnectServer hands out and
// what a provider's Initialize receives.
//
// GetObject, ExecQuery ("WQL": SELECT * / SELECT list FROM class) and CreateInstanceEnum
// answer from the served classes; every other method answers WBEM_E_NOT_SUPPORTED.
// With WBEM_FLAG_RETURN_IMMEDIATELY a query is semisynchronous: the call succeeds and its
// failure (invalid class, invalid query, ...) comes from the enumerator's first Next, as
// WMI reports it; without it the call returns the failure.
#pragma once

#include <wbemcli.h>

#include <memory>
#include <string>

#include "com/host_com_object.h"
#include "repository/query_evaluation.h"
#include "repository/served_namespaces.h"

namespace norvwmi {

// WMI's code for a request's status.
HRESULT WbemStatusOf(RequestStatus status);

class NamespaceServices final : public ComObject<NamespaceServices, IWbemServices> {
public:
    NamespaceServices(std::shared_ptr<ServedNamespaces> served, std::string nameSpace);

    const std::string& NamespaceName() const { return nameSpace_; }

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

private:
    // The enumerator of a query's or enumeration's result, or its failure.
    HRESULT Results(RequestResult result, LONG flags, IEnumWbemClassObject** enumerator) const;

    const std::shared_ptr<ServedNamespaces> served_;
    const std::string nameSpace_;
};

}  // namespace norvwmi
