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
// with the one before (events/change_detection.h).
#pragma once

#include <windows.h>

#include <wbemcli.h>
#include <wbemprov.h>

#include <optional>
#include <vector>

#include "events/change_detection.h"
#include "events/monitoring_worker.h"
#include "host/com_object.h"
#include "host/critical_section.h"
#include "host/module_state.h"
#include "host/provider_class_identity.h"
#include "platform/named_lock.h"
#include "platform/win_resource.h"

namespace norv::win {

class NorvHardwareEventProv final : public IWbemProviderInit,
                                    public IWbemEventProvider,
                                    public IWbemEventProviderQuerySink,
                                    public IWbemEventProviderSecurity {
public:
    NorvHardwareEventProv();
    NorvHardwareEventProv(const NorvHardwareEventProv&) = delete;
    NorvHardwareEventProv& operator=(const NorvHardwareEventProv&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

    // Fetches the definitions of the served and the event classes; WBEM_E_FAILED when one
    // of them is missing (the deletion event class may be).
    HRESULT STDMETHODCALLTYPE Initialize(LPWSTR user, LONG flags, LPWSTR nameSpace, LPWSTR locale,
                                         IWbemServices* services, IWbemContext* context,
                                         IWbemProviderInitSink* initSink) noexcept override;

    // Keeps the sink the events go to.
    HRESULT STDMETHODCALLTYPE ProvideEvents(IWbemObjectSink* sink, LONG flags) noexcept override;

    // The first active query starts the worker, the last one cancelled stops it.
    HRESULT STDMETHODCALLTYPE NewQuery(ULONG id, WBEM_WSTR language,
                                       WBEM_WSTR query) noexcept override;
    HRESULT STDMETHODCALLTYPE CancelQuery(ULONG id) noexcept override;

    // The security prologue of every request: a client below impersonation level is refused
    // with WBEM_E_ACCESS_DENIED.
    HRESULT STDMETHODCALLTYPE AccessCheck(WBEM_CWSTR language, WBEM_CWSTR query, LONG sidLength,
                                          const BYTE* sid) noexcept override;

private:
    ~NorvHardwareEventProv();

    // One look at the hardware: runs on the worker's thread, or for the baseline on the
    // thread of the NewQuery that starts it.
    void Tick();
    HRESULT Deliver(const HardwareSnapshot& previous, const HardwareSnapshot& current,
                    const HardwareEvents& events, IWbemObjectSink* sink) const;

    ReferenceCount references_;
    ModuleLockHolder moduleLock_;
    NamedLock lock_;
    ComPtr<IWbemClassObject> logRecordClass_;
    ComPtr<IWbemClassObject> sensorClass_;
    ComPtr<IWbemClassObject> numericSensorClass_;
    ComPtr<IWbemClassObject> creationEventClass_;
    ComPtr<IWbemClassObject> modificationEventClass_;
    ComPtr<IWbemClassObject> deletionEventClass_;

    // Guards the queries and the worker's start and stop.
    CriticalSection querySection_;
    std::vector<ULONG> queries_;
    MonitoringWorker worker_;

    // Guards the sink, which the worker reads while a stop may wait for it.
    CriticalSection sinkSection_;
    ComPtr<IWbemObjectSink> sink_;

    // The worker's own: the snapshot of the tick before.
    std::optional<HardwareSnapshot> previous_;
};

}  // namespace norv::win
