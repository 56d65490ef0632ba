#include "events/hardware_event_provider.h"

#include <memory>

#include "events/alert_query.h"
#include "events/consumer_access.h"
#include "events/event_period_win.h"
#include "host/client_impersonation.h"
#include "host/wbem_status.h"

namespace norv::win {

void NorvHardwareEventProv::LastReleased() noexcept {
    MonitoringWorker::Ending ending;
    {
        CriticalSectionScope scope(querySection_);
        queries_.clear();
        alertQueries_.clear();
        ending = worker_.Stop();
    }
    (void)ending.AwaitEnd();
    LetGo();
}

void NorvHardwareEventProv::LetGo() noexcept {
    if (::InterlockedDecrement(&lives_) == 0) delete this;
}

HRESULT NorvHardwareEventProv::Initialize(LPWSTR /*user*/, LONG /*flags*/, LPWSTR /*nameSpace*/,
                                          LPWSTR /*locale*/, IWbemServices* services,
                                          IWbemContext* context,
                                          IWbemProviderInitSink* initSink) noexcept try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    if (!services || !initSink) return kWbemInvalidParameter;
    NORV_RETURN_IF_FAILED(watch_.Initialize(services, context));
    initSink->SetStatus(WBEM_S_INITIALIZED, 0);
    return kWbemNoError;
}
NORV_CATCH_RETURN()

HRESULT NorvHardwareEventProv::ProvideEvents(IWbemObjectSink* sink, LONG /*flags*/) noexcept {
    if (!sink) return kWbemInvalidParameter;
    CriticalSectionScope scope(sinkSection_);
    sink_ = ComPtr<IWbemObjectSink>(sink);
    return kWbemNoError;
}

HRESULT NorvHardwareEventProv::NewQuery(ULONG id, WBEM_WSTR /*language*/,
                                        WBEM_WSTR query) noexcept try {
    CriticalSectionScope scope(querySection_);
    if (!queries_.insert(id).second) return kWbemNoError;
    const bool asksForAlerts = query && AsksForAlerts(query);
    if (asksForAlerts) alertQueries_.insert(id);
    if (worker_.Running()) {
        if (asksForAlerts) watch_.StartAlerts();
        return kWbemNoError;
    }
    HRESULT started = E_UNEXPECTED;
    try {
        watch_.Restart(watch_.TakeSnapshot());
        if (asksForAlerts) watch_.StartAlerts();
        // The worker's share of this object's life goes with its tick.
        KeepAlive();
        const std::shared_ptr<NorvHardwareEventProv> hold(
            this, [](NorvHardwareEventProv* self) { self->LetGo(); });
        started = worker_.Start(ReadEventPeriodSeconds(),
                                [hold](const StopSignal& stop) { hold->Tick(stop); });
    } catch (...) {
        queries_.erase(id);
        alertQueries_.erase(id);
        throw;
    }
    if (FAILED(started)) {
        queries_.erase(id);
        alertQueries_.erase(id);
    }
    return started;
}
NORV_CATCH_RETURN()

HRESULT NorvHardwareEventProv::CancelQuery(ULONG id) noexcept {
    MonitoringWorker::Ending ending;
    {
        CriticalSectionScope scope(querySection_);
        if (alertQueries_.erase(id) != 0 && alertQueries_.empty()) watch_.StopAlerts();
        if (queries_.erase(id) != 0 && queries_.empty()) ending = worker_.Stop();
    }
    (void)ending.AwaitEnd();
    return kWbemNoError;
}

HRESULT NorvHardwareEventProv::AccessCheck(WBEM_CWSTR /*language*/, WBEM_CWSTR /*query*/,
                                           LONG sidLength, const BYTE* sid) noexcept {
    if (sid) return CheckPermanentConsumer(sidLength, sid);
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    return kWbemNoError;
}

void NorvHardwareEventProv::Tick(const StopSignal& stop) {
    ComPtr<IWbemObjectSink> sink;
    {
        CriticalSectionScope scope(sinkSection_);
        sink = sink_;
    }
    watch_.Tick(sink.get(), stop);
}

}  // namespace norv::win
