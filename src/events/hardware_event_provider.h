// NorvHardwareEventProv: pushes hardware events to WMI's subscribers instead of leaving them
// to poll. Each new management-log record arrives once as an __InstanceCreationEvent of
// LogRecord; a sensor whose state changes arrives as an __InstanceModificationEvent of
// Sensor or NumericSensor with its previous instance; a sensor that appears or disappears
// arrives as an __InstanceCreationEvent or __InstanceDeletionEvent of its class.
//
// One monitoring worker per provider object runs while WMI has at least one active query
// (NewQuery without its CancelQuery). The NewQuery that starts it takes the baseline
// snapshot before it returns, so whatever happens after a subscription is in place is seen;
// each tick then reads the caches as the instance providers do and compares its snapshot
// with the baseline (events/hardware_watch.h).
//
// The worker keeps the object alive while it runs: the last Release, or the last
// CancelQuery, only asks it to stop, so either may come from inside the sink's Indicate on
// the worker's own thread, and neither waits for a tick that blocks in a sink.
#pragma once

#include <windows.h>

#include <wbemcli.h>
#include <wbemprov.h>

#include <set>

#include "events/hardware_watch.h"
#include "events/monitoring_worker.h"
#include "host/com_object.h"
#include "host/module_state.h"
#include "platform/critical_section.h"
#include "platform/win_resource.h"

namespace norv::win {

class NorvHardwareEventProv final
    : public ComObject<NorvHardwareEventProv, ModuleLockHolder, IWbemProviderInit,
                       IWbemEventProvider, IWbemEventProviderQuerySink,
                       IWbemEventProviderSecurity> {
public:
    NorvHardwareEventProv() = default;

    // WMI's last reference stops the worker; the object goes when the worker has ended too.
    void LastReleased() noexcept;

    // Fetches the definitions of the served and the event classes; WBEM_E_FAILED when one
    // of them is missing (the deletion event class may be).
    HRESULT STDMETHODCALLTYPE Initialize(LPWSTR user, LONG flags, LPWSTR nameSpace, LPWSTR locale,
                                         IWbemServices* services, IWbemContext* context,
                                         IWbemProviderInitSink* initSink) noexcept override;

    // Keeps the sink the events go to; events found before it came are delivered to it.
    HRESULT STDMETHODCALLTYPE ProvideEvents(IWbemObjectSink* sink, LONG flags) noexcept override;

    // The first active query starts the worker, the last one cancelled stops it. A query
    // id given again is one query. While a query selects from AlertIndication, each tick
    // also makes the alerts of the new records; its start is their baseline.
    HRESULT STDMETHODCALLTYPE NewQuery(ULONG id, WBEM_WSTR language,
                                       WBEM_WSTR query) noexcept override;
    HRESULT STDMETHODCALLTYPE CancelQuery(ULONG id) noexcept override;

    // A temporary consumer (no SID) is checked as every request is: a client below
    // impersonation level is refused with WBEM_E_ACCESS_DENIED. A permanent consumer is
    // checked by the SID of the subscription's creator (docs/decisions.md).
    HRESULT STDMETHODCALLTYPE AccessCheck(WBEM_CWSTR language, WBEM_CWSTR query, LONG sidLength,
                                          const BYTE* sid) noexcept override;

private:
    ~NorvHardwareEventProv() override = default;

    // The object lives while WMI holds a reference or a worker runs.
    void KeepAlive() noexcept { ::InterlockedIncrement(&lives_); }
    void LetGo() noexcept;

    void Tick(const StopSignal& stop);

    LONG lives_ = 1;  // WMI's references together, and one per running worker
    HardwareWatch watch_;

    // Guards the queries and the worker's start and stop; never held across a tick.
    CriticalSection querySection_;
    std::set<ULONG> queries_;
    std::set<ULONG> alertQueries_;  // those of queries_ that select alerts
    MonitoringWorker worker_;

    // Guards the sink, which the worker reads.
    CriticalSection sinkSection_;
    ComPtr<IWbemObjectSink> sink_;
};

}  // namespace norv::win
