// A sample extrinsic event provider, written from WMI's provider documentation as any
// provider's author writes one: an in-process COM server whose one class takes
// IWbemProviderInit and IWbemEventProvider, and not the optional IWbemEventProviderQuerySink.
// Once given its sink it delivers four SampleAlert events, one every 100 ms, of the
// severities 2, 6, 9 and 4, then falls silent; releasing it stops its thread.
#include "sample_server.h"

namespace {

// {6770DB1D-C19E-43EF-8F0B-29617B99E382}, as SampleAlert.mof registers it.
constexpr CLSID kProviderClsid = {
    0x6770db1d, 0xc19e, 0x43ef, {0x8f, 0x0b, 0x29, 0x61, 0x7b, 0x99, 0xe3, 0x82}};

constexpr DWORD kIntervalMs = 100;

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

class EventProvider final : public sample::ProviderObject<IWbemEventProvider> {
public:
    ~EventProvider() override {
        if (worker_) {
            SetEvent(stop_);
            WaitForSingleObject(worker_, INFINITE);
            CloseHandle(worker_);
        }
        if (stop_) CloseHandle(stop_);
        if (alertClass_) alertClass_->Release();
        if (sink_) sink_->Release();
    }

    STDMETHODIMP ProvideEvents(IWbemObjectSink* sink, LONG) override {
        if (!sink) return sample::Failure(WBEM_E_INVALID_PARAMETER);
        if (worker_ || !nameSpace_) return sample::Failure(WBEM_E_FAILED);
        const HRESULT hr = sample::GetClass(nameSpace_, L"SampleAlert", nullptr, &alertClass_);
        if (FAILED(hr)) return hr;
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!stop_) return sample::Failure(WBEM_E_FAILED);
        sink->AddRef();
        sink_ = sink;
        worker_ = CreateThread(nullptr, 0, &EventProvider::Deliver, this, 0, nullptr);
        return worker_ ? S_OK : sample::Failure(WBEM_E_FAILED);
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
            sample::Variant severity(long{alert.severity});
            sample::Variant number(static_cast<long>(++sequence));
            sample::Variant message(alert.message);
            event->Put(L"Severity", 0, &severity.value, 0);
            event->Put(L"Sequence", 0, &number.value, 0);
            event->Put(L"Message", 0, &message.value, 0);
            sample::Deliver(sink_, event);
        }
    }

    IWbemClassObject* alertClass_ = nullptr;
    IWbemObjectSink* sink_ = nullptr;
    HANDLE stop_ = nullptr;
    HANDLE worker_ = nullptr;
};

}  // namespace

SAMPLE_PROVIDER_MODULE(EventProvider, kProviderClsid)
