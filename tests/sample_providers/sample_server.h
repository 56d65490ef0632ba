// What every sample provider shares, as a provider's author writes it from WMI's provider
// documentation (nothing here comes from the module): an in-process COM server whose class
// factory makes one provider object, IWbemProviderInit keeping the namespace it is given.
#pragma once

#include <windows.h>

#include <wbemcli.h>
#include <wbemprov.h>

#include <atomic>
#include <new>

namespace sample {

// WBEMSTATUS is an unsigned enumeration.
constexpr HRESULT Failure(WBEMSTATUS status) {
    return static_cast<HRESULT>(status);
}

// Objects and locks alive in the module, which DllCanUnloadNow reports.
inline std::atomic<long> g_moduleCount{0};

// A provider object: IWbemProviderInit and the `Interfaces` the derived class implements.
template <typename... Interfaces>
class ProviderObject : public IWbemProviderInit, public Interfaces... {
public:
    ProviderObject() { ++g_moduleCount; }
    virtual ~ProviderObject() {
        if (nameSpace_) nameSpace_->Release();
        --g_moduleCount;
    }
    ProviderObject(const ProviderObject&) = delete;
    ProviderObject& operator=(const ProviderObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IWbemProviderInit))
            *object = static_cast<IWbemProviderInit*>(this);
        else
            ((iid == __uuidof(Interfaces) ? (*object = static_cast<Interfaces*>(this), true)
                                          : false) ||
             ...);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override {
        const long left = --references_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP Initialize(LPWSTR, LONG, LPWSTR, LPWSTR, IWbemServices* nameSpace, IWbemContext*,
                            IWbemProviderInitSink* sink) override {
        if (!nameSpace || !sink) return sample::Failure(WBEM_E_INVALID_PARAMETER);
        nameSpace->AddRef();
        nameSpace_ = nameSpace;
        sink->SetStatus(WBEM_S_INITIALIZED, 0);
        return WBEM_S_NO_ERROR;
    }

protected:
    IWbemServices* nameSpace_ = nullptr;

private:
    std::atomic<long> references_{1};
};

// A request a provider does not serve, declared from its name and its parameters' types.
#define SAMPLE_NOT_CAPABLE(name, ...) \
    STDMETHODIMP name(__VA_ARGS__) override { return sample::Failure(WBEM_E_PROVIDER_NOT_CAPABLE); }

// An instance, method or class provider: IWbemServices refusing what it does not override.
class ProviderBase : public ProviderObject<IWbemServices> {
public:
    SAMPLE_NOT_CAPABLE(OpenNamespace, const BSTR, LONG, IWbemContext*, IWbemServices**,
                       IWbemCallResult**)
    SAMPLE_NOT_CAPABLE(CancelAsyncCall, IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(QueryObjectSink, LONG, IWbemObjectSink**)
    SAMPLE_NOT_CAPABLE(GetObject, const BSTR, LONG, IWbemContext*, IWbemClassObject**,
                       IWbemCallResult**)
    SAMPLE_NOT_CAPABLE(GetObjectAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(PutClass, IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
    SAMPLE_NOT_CAPABLE(PutClassAsync, IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(DeleteClass, const BSTR, LONG, IWbemContext*, IWbemCallResult**)
    SAMPLE_NOT_CAPABLE(DeleteClassAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(CreateClassEnum, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
    SAMPLE_NOT_CAPABLE(CreateClassEnumAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(PutInstance, IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
    SAMPLE_NOT_CAPABLE(PutInstanceAsync, IWbemClassObject*, LONG, IWbemContext*,
                       IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(DeleteInstance, const BSTR, LONG, IWbemContext*, IWbemCallResult**)
    SAMPLE_NOT_CAPABLE(DeleteInstanceAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(CreateInstanceEnum, const BSTR, LONG, IWbemContext*,
                       IEnumWbemClassObject**)
    SAMPLE_NOT_CAPABLE(CreateInstanceEnumAsync, const BSTR, LONG, IWbemContext*,
                       IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(ExecQuery, const BSTR, const BSTR, LONG, IWbemContext*,
                       IEnumWbemClassObject**)
    SAMPLE_NOT_CAPABLE(ExecQueryAsync, const BSTR, const BSTR, LONG, IWbemContext*,
                       IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(ExecNotificationQuery, const BSTR, const BSTR, LONG, IWbemContext*,
                       IEnumWbemClassObject**)
    SAMPLE_NOT_CAPABLE(ExecNotificationQueryAsync, const BSTR, const BSTR, LONG, IWbemContext*,
                       IWbemObjectSink*)
    SAMPLE_NOT_CAPABLE(ExecMethod, const BSTR, const BSTR, LONG, IWbemContext*,
                       IWbemClassObject*, IWbemClassObject**, IWbemCallResult**)
    SAMPLE_NOT_CAPABLE(ExecMethodAsync, const BSTR, const BSTR, LONG, IWbemContext*,
                       IWbemClassObject*, IWbemObjectSink*)
};

#undef SAMPLE_NOT_CAPABLE

// Makes `Provider` objects; the module's one class.
template <typename Provider>
class Factory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        const bool known = iid == __uuidof(IUnknown) || iid == __uuidof(IClassFactory);
        *object = known ? static_cast<IClassFactory*>(this) : nullptr;
        if (known) AddRef();
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        ++g_moduleCount;
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        --g_moduleCount;
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        Provider* provider = new (std::nothrow) Provider();
        if (!provider) return E_OUTOFMEMORY;
        const HRESULT hr = provider->QueryInterface(iid, object);
        provider->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        lock ? ++g_moduleCount : --g_moduleCount;
        return S_OK;
    }
};

// DllGetClassObject's body for a module of one class.
template <typename Provider>
HRESULT GetClassObject(REFCLSID asked, REFCLSID served, REFIID iid, void** object) {
    static Factory<Provider> factory;
    if (!object) return E_POINTER;
    *object = nullptr;
    if (asked != served) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

inline HRESULT CanUnloadNow() {
    return g_moduleCount == 0 ? S_OK : S_FALSE;
}

// A VARIANT that clears itself: empty, a text, a 32-bit number or a boolean.
struct Variant {
    VARIANT value;
    Variant() { VariantInit(&value); }
    explicit Variant(const wchar_t* text) : Variant() {
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(text);
    }
    explicit Variant(long number) : Variant() {
        value.vt = VT_I4;
        value.lVal = number;
    }
    explicit Variant(bool flag) : Variant() {
        value.vt = VT_BOOL;
        value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    }
    ~Variant() { VariantClear(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// A class of the namespace the provider was given, by name.
inline HRESULT GetClass(IWbemServices* nameSpace, const wchar_t* name, IWbemContext* context,
                        IWbemClassObject** definition) {
    BSTR className = SysAllocString(name);
    if (!className) return Failure(WBEM_E_OUT_OF_MEMORY);
    const HRESULT hr = nameSpace->GetObject(className, 0, context, definition, nullptr);
    SysFreeString(className);
    return hr;
}

// Hands one object to the sink and lets go of it.
inline void Deliver(IWbemObjectSink* sink, IWbemClassObject* object) {
    sink->Indicate(1, &object);
    object->Release();
}

}  // namespace sample

// The module's exports for its one provider class `Provider`, served as `clsid`.
#define SAMPLE_PROVIDER_MODULE(Provider, clsid)                              \
    STDAPI DllGetClassObject(REFCLSID asked, REFIID iid, void** object) {    \
        return sample::GetClassObject<Provider>(asked, clsid, iid, object);  \
    }                                                                        \
    STDAPI DllCanUnloadNow() { return sample::CanUnloadNow(); }
