// An IWbemServices object that answers every method WBEM_E_NOT_SUPPORTED, as WMI answers a
// request a namespace does not serve; Derived overrides the methods it serves. The host's
// namespace services and the prefix's provider services differ only in what they serve.
#pragma once

#include <wbemcli.h>

#include "com/host_com_object.h"
#include "com/wbem_hresult.h"

// One refused method, declared from its name and its parameters' types.
#define NORV_REFUSED_METHOD(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return Wbem(WBEM_E_NOT_SUPPORTED); }

namespace norvwmi {

template <typename Derived, typename... OtherInterfaces>
class WbemServicesObject : public ComObject<Derived, IWbemServices, OtherInterfaces...> {
public:
    // Namespaces and calls in progress.
    NORV_REFUSED_METHOD(OpenNamespace, const BSTR, LONG, IWbemContext*, IWbemServices**,
                        IWbemCallResult**)
    NORV_REFUSED_METHOD(CancelAsyncCall, IWbemObjectSink*)
    NORV_REFUSED_METHOD(QueryObjectSink, LONG, IWbemObjectSink**)
    // Objects by path, classes and instances written and deleted.
    NORV_REFUSED_METHOD(GetObject, const BSTR, LONG, IWbemContext*, IWbemClassObject**,
                        IWbemCallResult**)
    NORV_REFUSED_METHOD(GetObjectAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NORV_REFUSED_METHOD(PutClass, IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
    NORV_REFUSED_METHOD(PutClassAsync, IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
    NORV_REFUSED_METHOD(DeleteClass, const BSTR, LONG, IWbemContext*, IWbemCallResult**)
    NORV_REFUSED_METHOD(DeleteClassAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NORV_REFUSED_METHOD(PutInstance, IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
    NORV_REFUSED_METHOD(PutInstanceAsync, IWbemClassObject*, LONG, IWbemContext*,
                        IWbemObjectSink*)
    NORV_REFUSED_METHOD(DeleteInstance, const BSTR, LONG, IWbemContext*, IWbemCallResult**)
    NORV_REFUSED_METHOD(DeleteInstanceAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    // Enumerations and queries.
    NORV_REFUSED_METHOD(CreateClassEnum, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
    NORV_REFUSED_METHOD(CreateClassEnumAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NORV_REFUSED_METHOD(CreateInstanceEnum, const BSTR, LONG, IWbemContext*,
                        IEnumWbemClassObject**)
    NORV_REFUSED_METHOD(CreateInstanceEnumAsync, const BSTR, LONG, IWbemContext*,
                        IWbemObjectSink*)
    NORV_REFUSED_METHOD(ExecQuery, const BSTR, const BSTR, LONG, IWbemContext*,
                        IEnumWbemClassObject**)
    NORV_REFUSED_METHOD(ExecQueryAsync, const BSTR, const BSTR, LONG, IWbemContext*,
                        IWbemObjectSink*)
    NORV_REFUSED_METHOD(ExecNotificationQuery, const BSTR, const BSTR, LONG, IWbemContext*,
                        IEnumWbemClassObject**)
    NORV_REFUSED_METHOD(ExecNotificationQueryAsync, const BSTR, const BSTR, LONG, IWbemContext*,
                        IWbemObjectSink*)
    // Methods.
    NORV_REFUSED_METHOD(ExecMethod, const BSTR, const BSTR, LONG, IWbemContext*,
                        IWbemClassObject*, IWbemClassObject**, IWbemCallResult**)
    NORV_REFUSED_METHOD(ExecMethodAsync, const BSTR, const BSTR, LONG, IWbemContext*,
                        IWbemClassObject*, IWbemObjectSink*)

protected:
    WbemServicesObject() = default;
};

}  // namespace norvwmi

#undef NORV_REFUSED_METHOD
