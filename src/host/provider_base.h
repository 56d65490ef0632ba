// What every provider object of the module shares: its COM identity (IWbemServices,
// IWbemProviderInit and IProvideClassInfo), its initialisation, the request methods every
// class answers the same way, and the fields the request steps use. A served class adds its
// enumeration and lookup (instance_provider.h).
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <wbemcli.h>
#include <wbemprov.h>

#include <atomic>
#include <string>

#include "host/com_object.h"
#include "host/module_state.h"
#include "host/provider_class_identity.h"
#include "platform/named_lock.h"
#include "platform/win_resource.h"
#include "platform/wmi_utility_interfaces.h"

namespace norv::win {

// IUnknown answers the three interfaces and IUnknown (the first of them); a living provider
// holds a module lock.
class ProviderBase : public ComObject<ProviderBase, ModuleLockHolder, IWbemServices,
                                      IWbemProviderInit, IProvideClassInfo> {
public:
    // IWbemProviderInit: keeps the namespace, fetches the served class's definition and the
    // path parser's class factory, and reports WBEM_S_INITIALIZED to the init sink.
    HRESULT STDMETHODCALLTYPE Initialize(LPWSTR user, LONG flags, LPWSTR nameSpace, LPWSTR locale,
                                         IWbemServices* services, IWbemContext* context,
                                         IWbemProviderInitSink* initSink) noexcept override;

    // IProvideClassInfo: the type information of the class's coclass.
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) noexcept override;

    // IWbemServices: what every class answers alike. WBEM_E_NOT_SUPPORTED at once from the
    // synchronous methods and the ones no provider serves; the asynchronous ones below run
    // the security prologue first.
    HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**,
                                            IWbemCallResult**) noexcept override;
    HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink*) noexcept override;
    HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG, IWbemObjectSink**) noexcept override;
    HRESULT STDMETHODCALLTYPE GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**,
                                        IWbemCallResult**) noexcept override;
    HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject*, LONG, IWbemContext*,
                                       IWbemCallResult**) noexcept override;
    HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject*, LONG, IWbemContext*,
                                            IWbemObjectSink*) noexcept override;
    HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR, LONG, IWbemContext*,
                                          IWbemCallResult**) noexcept override;
    HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR, LONG, IWbemContext*,
                                               IWbemObjectSink*) noexcept override;
    HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR, LONG, IWbemContext*,
                                              IEnumWbemClassObject**) noexcept override;
    HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR, LONG, IWbemContext*,
                                                   IWbemObjectSink*) noexcept override;
    HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject*, LONG, IWbemContext*,
                                          IWbemCallResult**) noexcept override;
    // WBEM_E_PROVIDER_NOT_CAPABLE for an instance and a sink, else WBEM_E_INVALID_PARAMETER.
    HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject* instance, LONG flags,
                                               IWbemContext* context,
                                               IWbemObjectSink* sink) noexcept override;
    HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR, LONG, IWbemContext*,
                                             IWbemCallResult**) noexcept override;
    // WBEM_E_PROVIDER_NOT_CAPABLE whatever the arguments.
    HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR path, LONG flags,
                                                  IWbemContext* context,
                                                  IWbemObjectSink* sink) noexcept override;
    HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR, LONG, IWbemContext*,
                                                 IEnumWbemClassObject**) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                        IEnumWbemClassObject**) noexcept override;
    // Evaluates no query: creates the query parser once per object, then completes the
    // request with WBEM_E_PROVIDER_NOT_CAPABLE (through the sink and as the result), so that
    // WMI falls back to an enumeration and filters the instances itself.
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR language, const BSTR query, LONG flags,
                                             IWbemContext* context,
                                             IWbemObjectSink* sink) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                                    IEnumWbemClassObject**) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR, const BSTR, LONG,
                                                         IWbemContext*,
                                                         IWbemObjectSink*) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*,
                                         IWbemClassObject*, IWbemClassObject**,
                                         IWbemCallResult**) noexcept override;
    // WBEM_E_NOT_SUPPORTED after the prologue: no class but the record log has a method.
    HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR path, const BSTR method, LONG flags,
                                              IWbemContext* context, IWbemClassObject* inParameters,
                                              IWbemObjectSink* sink) noexcept override;

protected:
    explicit ProviderBase(ProviderClass providerClass);
    virtual ~ProviderBase();

    // The served WMI class ("ComputerSystem", ...), as paths and GetObject name it.
    const std::wstring& ServedClassName() const noexcept { return servedClass_; }
    // The provider object's own machine-wide lock, named after its provider class.
    NamedLock& ProviderLock() noexcept { return lock_; }
    IClassFactory* PathParserFactory() const noexcept { return pathParserFactory_.get(); }
    // The namespace's services the object was initialised with; null before Initialize.
    IWbemServices* NamespaceServices() const noexcept { return services_.get(); }
    // At Initialize: fetches the definitions of the classes the object serves (the served
    // class's by default) from the namespace it was given.
    virtual HRESULT FetchClassDefinitions(IWbemServices* services, IWbemContext* context);

    // The served class's definition; null before Initialize.
    IWbemClassObject* ClassObject() const noexcept { return classObject_.get(); }
    // A new instance of a method's output signature, from the served class's definition;
    // WBEM_E_FAILED before Initialize, the class object's failure for an unknown method.
    HRESULT SpawnMethodOutput(const wchar_t* method,
                              ComPtr<IWbemClassObject>& output) const noexcept;

private:
    const ProviderClass providerClass_;
    const std::wstring servedClass_;
    ComPtr<IWbemServices> services_;
    ComPtr<IWbemClassObject> classObject_;
    ComPtr<IClassFactory> pathParserFactory_;
    // Created on the first ExecQueryAsync; the first of two racing creations is kept.
    std::atomic<IWbemQuery*> queryParser_{nullptr};
    NamedLock lock_;
};

}  // namespace norv::win
