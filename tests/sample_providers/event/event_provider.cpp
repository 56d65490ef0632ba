// A sample extrinsic event provider, written from WMI's provider documentation as any
// provider's author writes one: an in-process COM server whose one class takes
// IWbemProviderInit and IWbemEventProvider, and not the optional IWbemEventProviderQuerySink.
// Once given its sink it delivers four SampleAlert events, one every 100 ms, of the
// severities 2, 6, 9 and 4, then falls silent; releasing it stops its thread.
#include <windows.h>

#include <wbemcli.h>
#include <wbemprov.h>

#include <atomic>
#include <new>

namespace {

// {6770DB1D-C19E-43EF-8F0B-29617B99E382}, as SampleAlert.mof registers it.
constexpr CLSID kProviderClsid = {
    0x6770db1d, 0xc19e, 0x43ef, {0x8f, 0x0b, 0x29, 0x61, 0x7b, 0x99, 0xe3, 0x82}};

constexpr DWORD kIntervalMs = 100;

// WMI's status codes are enumerators whose values pass LONG's range.
constexpr HRESULT Status(WBEMSTATUS status) {
    return static_cast<HRESULT>(status);
}

struct Alert {
    int severity;
    const wchar_t* message;
};

constexpr Alert kAlerts[] = {
    {2, L"Fan 1 turns at its usual speed"},
    {6, L"Fan 2 turns slowly"},
    {9, L"Fan 2 has stopped"},
    {4, L"Fan 2 turns again"},
};

// Objects and locks alive in the module, which DllCanUnloadNow reports.
std::atomic<long> g_moduleCount{0};

class EventProvider final : public IWbemProviderInit, public IWbemEventProvider {
public:
    EventProvider() { ++g_moduleCount; }
    ~EventProvider() {
        if (worker_) {
            SetEvent(stop_);
            WaitForSingleObject(worker_, INFINITE);
            CloseHandle(worker_);
        }
        if (stop_) CloseHandle(stop_);
        if (alertClass_) alertClass_->Release();
        if (sink_) sink_->Release();
        if (nameSpace_) nameSpace_->Release();
        --g_moduleCount;
    }
    EventProvider(const EventProvider&) = delete;
    EventProvider& operator=(const EventProvider&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IWbemProviderInit) {
            *object = static_cast<IWbemProviderInit*>(this);
        } else if (iid == IID_IWbemEventProvider) {
            *object = static_cast<IWbemEventProvider*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
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
        if (!nameSpace || !sink) return Status(WBEM_E_INVALID_PARAMETER);
        nameSpace->AddRef();
        nameSpace_ = nameSpace;
        sink->SetStatus(WBEM_S_INITIALIZED, 0);
        return WBEM_S_NO_ERROR;
    }

    STDMETHODIMP ProvideEvents(IWbemObjectSink* sink, LONG) override {
        if (!sink) return Status(WBEM_E_INVALID_PARAMETER);
        if (worker_ || !nameSpace_) return Status(WBEM_E_FAILED);
        BSTR className = SysAllocString(L"SampleAlert");
        if (!className) return Status(WBEM_E_OUT_OF_MEMORY);
        HRESULT hr = nameSpace_->GetObject(className, 0, nullptr, &alertClass_, nullptr);
        SysFreeString(className);
        if (FAILED(hr)) return hr;
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!stop_) return Status(WBEM_E_FAILED);
        sink->AddRef();
        sink_ = sink;
        worker_ = CreateThread(nullptr, 0, &EventProvider::Deliver, this, 0, nullptr);
        return worker_ ? S_OK : Status(WBEM_E_FAILED);
    }

private:
    static DWORD WINAPI Deliver(void* self) {
        static_cast<EventProvider*>(self)->DeliverAll();
        return 0;
    }

    void DeliverAll() {
        ULONG sequence = 0;
        for (const Alert& alert : kAlerts) {
            if (WaitForSingleObject(stop_, kIntervalMs) != WAIT_TIMEOUT) return;
            IWbemClassObject* event = nullptr;
            if (FAILED(alertClass_->SpawnInstance(0, &event))) return;
            VARIANT value;
            V_VT(&value) = VT_I4;
            V_I4(&value) = alert.severity;
            event->Put(L"Severity", 0, &value, 0);
            V_I4(&value) = static_cast<LONG>(++sequence);
            event->Put(L"Sequence", 0, &value, 0);
            V_VT(&value) = VT_BSTR;
            V_BSTR(&value) = SysAllocString(alert.message);
            event->Put(L"Message", 0, &value, 0);
            VariantClear(&value);
            sink_->Indicate(1, &event);
            event->Release();
        }
    }

    std::atomic<long> references_{1};
    IWbemServices* nameSpace_ = nullptr;
    IWbemClassObject* alertClass_ = nullptr;
    IWbemObjectSink* sink_ = nullptr;
    HANDLE stop_ = nullptr;
    HANDLE worker_ = nullptr;
};

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
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
        EventProvider* provider = new (std::nothrow) EventProvider();
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

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    static Factory factory;
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != kProviderClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() {
    return g_moduleCount == 0 ? S_OK : S_FALSE;
}
