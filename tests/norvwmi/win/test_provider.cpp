// A tiny provider module for the host's tests: one COM class (the CLSID that
// tests/data/norvwmi/test_provider.mof registers as "NorvwmiTestProv") serving the classes
// of that file, each of which but Widget makes it misbehave in one way. It exports what a
// provider module exports to its host: DllGetClassObject and DllCanUnloadNow.
#include <windows.h>

#include <wbemcli.h>
#include <wbemprov.h>

#include <atomic>
#include <string>

#include "com/com_object.h"
#include "com/wbem_status.h"

namespace {

using norv::win::ComPtr;
using norv::win::UniqueBstr;
using norv::win::UniqueVariant;
using norvwmi::Wbem;

constexpr CLSID kTestProviderClsid = {
    0x5b0f3d8e, 0x2c41, 0x4e7a, {0x9d, 0x3b, 0x7a, 0x61, 0xc2, 0xe4, 0xf0, 0x19}};

// Objects alive and server locks: DllCanUnloadNow answers S_OK when both are zero.
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

struct ModuleObject {
    ModuleObject() { ++g_objects; }
    ~ModuleObject() { --g_objects; }
    ModuleObject(const ModuleObject&) = delete;
    ModuleObject& operator=(const ModuleObject&) = delete;
};

bool SameText(const wchar_t* a, const wchar_t* b) {
    return a && b && ::lstrcmpiW(a, b) == 0;
}

HRESULT PutText(IWbemClassObject* object, const wchar_t* name, const std::wstring& text) {
    UniqueVariant value;
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocString(text.c_str());
    return object->Put(name, 0, &value, 0);
}

HRESULT PutInteger(IWbemClassObject* object, const wchar_t* name, LONG number) {
    UniqueVariant value;
    value.vt = VT_I4;
    value.lVal = number;
    return object->Put(name, 0, &value, 0);
}

HRESULT Finish(IWbemObjectSink* sink, HRESULT status) {
    sink->SetStatus(WBEM_STATUS_COMPLETE, status, nullptr, nullptr);
    return status;
}

// What the tests never call: WMI's own answer for what a provider does not serve.
#define NOT_SUPPORTED(method, ...) \
    HRESULT STDMETHODCALLTYPE method(__VA_ARGS__) override { return Wbem(WBEM_E_NOT_SUPPORTED); }

class TestProvider final
    : public norvwmi::ComObject<TestProvider, IWbemProviderInit, IWbemServices>,
      private ModuleObject {
public:
    HRESULT STDMETHODCALLTYPE Initialize(LPWSTR, LONG, LPWSTR nameSpace, LPWSTR,
                                         IWbemServices* services, IWbemContext*,
                                         IWbemProviderInitSink* sink) override {
        if (!services || !sink) return Wbem(WBEM_E_INVALID_PARAMETER);
        services_ = ComPtr<IWbemServices>(services);
        nameSpace_ = nameSpace ? nameSpace : L"";
        return sink->SetStatus(WBEM_S_INITIALIZED, 0);
    }

    HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR className, LONG, IWbemContext*,
                                                      IWbemObjectSink* sink) override {
        if (SameText(className, L"SilentWidget")) return WBEM_S_NO_ERROR;
        if (SameText(className, L"ImpersonatingWidget")) {
            ::CoImpersonateClient();
            return Finish(sink, WBEM_S_NO_ERROR);
        }
        if (SameText(className, L"LeakyWidget")) {
            ++g_locks;
            return Finish(sink, WBEM_S_NO_ERROR);
        }
        if (!SameText(className, L"Widget")) return Finish(sink, Wbem(WBEM_E_INVALID_CLASS));
        return IndicateWidget(sink);
    }

    NOT_SUPPORTED(GetObjectAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(ExecMethodAsync, const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemObjectSink*)
    NOT_SUPPORTED(OpenNamespace, const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**)
    NOT_SUPPORTED(CancelAsyncCall, IWbemObjectSink*)
    NOT_SUPPORTED(QueryObjectSink, LONG, IWbemObjectSink**)
    NOT_SUPPORTED(GetObject, const BSTR, LONG, IWbemContext*, IWbemClassObject**, IWbemCallResult**)
    NOT_SUPPORTED(PutClass, IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
    NOT_SUPPORTED(PutClassAsync, IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(DeleteClass, const BSTR, LONG, IWbemContext*, IWbemCallResult**)
    NOT_SUPPORTED(DeleteClassAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(CreateClassEnum, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
    NOT_SUPPORTED(CreateClassEnumAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(PutInstance, IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**)
    NOT_SUPPORTED(PutInstanceAsync, IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(DeleteInstance, const BSTR, LONG, IWbemContext*, IWbemCallResult**)
    NOT_SUPPORTED(DeleteInstanceAsync, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(CreateInstanceEnum, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
    NOT_SUPPORTED(ExecQuery, const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
    NOT_SUPPORTED(ExecQueryAsync, const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(ExecNotificationQuery, const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**)
    NOT_SUPPORTED(ExecNotificationQueryAsync, const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*)
    NOT_SUPPORTED(ExecMethod, const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemClassObject**, IWbemCallResult**)
private:
    HRESULT IndicateWidget(IWbemObjectSink* sink) {
        ComPtr<IWbemClassObject> definition;
        UniqueBstr widget(::SysAllocString(L"Widget"));
        NORV_RETURN_IF_FAILED(
            services_->GetObject(widget.get(), 0, nullptr, definition.put(), nullptr));
        ComPtr<IWbemClassObject> instance;
        NORV_RETURN_IF_FAILED(definition->SpawnInstance(0, instance.put()));
        NORV_RETURN_IF_FAILED(PutText(instance.get(), L"Name", L"one"));
        NORV_RETURN_IF_FAILED(PutInteger(instance.get(), L"Size", 7));
        NORV_RETURN_IF_FAILED(PutText(instance.get(), L"Serial", L"18446744073709551615"));
        NORV_RETURN_IF_FAILED(PutText(instance.get(), L"Namespace", nameSpace_));
        IWbemClassObject* objects[] = {instance.get()};
        sink->Indicate(1, objects);
        return Finish(sink, WBEM_S_NO_ERROR);
    }

    ComPtr<IWbemServices> services_;
    std::wstring nameSpace_;
};

class TestFactory final : public norvwmi::ComObject<TestFactory, IClassFactory>,
                          private ModuleObject {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return TestProvider::Create()->QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ++g_locks;
        } else {
            --g_locks;
        }
        return S_OK;
    }
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, kTestProviderClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return TestFactory::Create()->QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}
