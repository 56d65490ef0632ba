// IWbemServices for one namespace the host serves: what ConnectServer hands out and
// what a provider's Initialize receives.
//
// GetObject, ExecQuery ("WQL": SELECT * / SELECT list FROM class) and CreateInstanceEnum
// answer from the served classes; every other method answers WBEM_E_NOT_SUPPORTED
// (wbem_services_object.h).
// With WBEM_FLAG_RETURN_IMMEDIATELY a query is semisynchronous: the call succeeds and its
// failure (invalid class, invalid query, ...) comes from the enumerator's first Next, as
// WMI reports it; without it the call returns the failure.
#pragma once

#include <wbemcli.h>

#include <memory>
#include <string>

#include "com/wbem_services_object.h"
#include "repository/query_evaluation.h"
#include "repository/served_namespaces.h"

namespace norvwmi {

// WMI's code for a request's status.
HRESULT WbemStatusOf(RequestStatus status);

class NamespaceServices final : public WbemServicesObject<NamespaceServices> {
public:
    NamespaceServices(std::shared_ptr<ServedNamespaces> served, std::string nameSpace);

    const std::string& NamespaceName() const { return nameSpace_; }

    HRESULT STDMETHODCALLTYPE GetObject(const BSTR path, LONG flags, IWbemContext* context,
                                        IWbemClassObject** object,
                                        IWbemCallResult** callResult) override;
    HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR className, LONG flags,
                                                 IWbemContext* context,
                                                 IEnumWbemClassObject** instances) override;
    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags,
                                        IWbemContext* context,
                                        IEnumWbemClassObject** results) override;

private:
    // The enumerator of a query's or enumeration's result, or its failure.
    HRESULT Results(RequestResult result, LONG flags, IEnumWbemClassObject** enumerator) const;

    const std::shared_ptr<ServedNamespaces> served_;
    const std::string nameSpace_;
};

}  // namespace norvwmi
