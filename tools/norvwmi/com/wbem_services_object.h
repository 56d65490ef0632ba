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
// The parameters that several methods share: what they are about (an object path or class
// name, an object, a query's language and text), the flags and context, and how the answer
// comes (a call result, an enumerator or a sink).
#define NORV_NAME_TO_RESULT const BSTR, LONG, IWbemContext*, IWbemCallResult**
#define NORV_NAME_TO_ENUMERATOR const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**
#define NORV_NAME_TO_SINK const BSTR, LONG, IWbemContext*, IWbemObjectSink*
#define NORV_OBJECT_TO_RESULT IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**
#define NORV_OBJECT_TO_SINK IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*
#define NORV_QUERY_TO_ENUMERATOR const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**
#define NORV_QUERY_TO_SINK const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*

namespace norvwmi {

template <typename Derived, typename... OtherInterfaces>
class WbemServicesObject : public ComObject<Derived, IWbemServices, OtherInterfaces...> {
public:
    // By a name or path.
    NORV_REFUSED_METHOD(GetObjectAsync, NORV_NAME_TO_SINK)
    NORV_REFUSED_METHOD(DeleteClass, NORV_NAME_TO_RESULT)
    NORV_REFUSED_METHOD(DeleteClassAsync, NORV_NAME_TO_SINK)
    NORV_REFUSED_METHOD(DeleteInstance, NORV_NAME_TO_RESULT)
    NORV_REFUSED_METHOD(DeleteInstanceAsync, NORV_NAME_TO_SINK)
    NORV_REFUSED_METHOD(CreateClassEnum, NORV_NAME_TO_ENUMERATOR)
    NORV_REFUSED_METHOD(CreateClassEnumAsync, NORV_NAME_TO_SINK)
    NORV_REFUSED_METHOD(CreateInstanceEnum, NORV_NAME_TO_ENUMERATOR)
    NORV_REFUSED_METHOD(CreateInstanceEnumAsync, NORV_NAME_TO_SINK)
    // Of an object.
    NORV_REFUSED_METHOD(PutClass, NORV_OBJECT_TO_RESULT)
    NORV_REFUSED_METHOD(PutClassAsync, NORV_OBJECT_TO_SINK)
    NORV_REFUSED_METHOD(PutInstance, NORV_OBJECT_TO_RESULT)
    NORV_REFUSED_METHOD(PutInstanceAsync, NORV_OBJECT_TO_SINK)
    // By a query.
    NORV_REFUSED_METHOD(ExecQuery, NORV_QUERY_TO_ENUMERATOR)
    NORV_REFUSED_METHOD(ExecQueryAsync, NORV_QUERY_TO_SINK)
    NORV_REFUSED_METHOD(ExecNotificationQuery, NORV_QUERY_TO_ENUMERATOR)
    NORV_REFUSED_METHOD(ExecNotificationQueryAsync, NORV_QUERY_TO_SINK)
    // Each with parameters of its own.
    NORV_REFUSED_METHOD(GetObject, const BSTR, LONG, IWbemContext*, IWbemClassObject**,
                        IWbemCallResult**)
    NORV_REFUSED_METHOD(ExecMethod, const BSTR, const BSTR, LONG, IWbemContext*,
                        IWbemClassObject*, IWbemClassObject**, IWbemCallResult**)
    NORV_REFUSED_METHOD(ExecMethodAsync, const BSTR, const BSTR, LONG, IWbemContext*,
                        IWbemClassObject*, IWbemObjectSink*)
    NORV_REFUSED_METHOD(OpenNamespace, const BSTR, LONG, IWbemContext*, IWbemServices**,
                        IWbemCallResult**)
    NORV_REFUSED_METHOD(CancelAsyncCall, IWbemObjectSink*)
    NORV_REFUSED_METHOD(QueryObjectSink, LONG, IWbemObjectSink**)

protected:
    WbemServicesObject() = default;
};

}  // namespace norvwmi

#undef NORV_REFUSED_METHOD
#undef NORV_NAME_TO_RESULT
#undef NORV_NAME_TO_ENUMERATOR
#undef NORV_NAME_TO_SINK
#undef NORV_OBJECT_TO_RESULT
#undef NORV_OBJECT_TO_SINK
#undef NORV_QUERY_TO_ENUMERATOR
#undef NORV_QUERY_TO_SINK
