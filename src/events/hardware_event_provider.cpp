#include "events/hardware_event_provider.h"

#include <algorithm>
#include <utility>

#include "eventlog/log_record_provider.h"
#include "events/event_period_win.h"
#include "events/hardware_snapshot_win.h"
#include "host/class_definition.h"
#include "host/client_impersonation.h"
#include "host/wbem_status.h"
#include "platform/named_lock_scope.h"
#include "sensors/numeric_sensor_instance_fill.h"
#include "sensors/sensor_instance_fill.h"

namespace norv::win {
namespace {

template <typename Entry>
HRESULT MakeInstance(IWbemClassObject* classObject, const Entry& entry,
                     HRESULT (*fill)(const Entry&, const WbemObject&),
                     ComPtr<IWbemClassObject>& instance) {
    NORV_RETURN_IF_FAILED(classObject->SpawnInstance(0, instance.put()));
    return fill(entry, instance);
}

HRESULT PutObject(IWbemClassObject* event, const wchar_t* property, IWbemClassObject* object) {
    UniqueVariant value;
    value.vt = VT_UNKNOWN;
    value.punkVal = object;
    object->AddRef();
    return event->Put(property, 0, &value, 0);
}

// An event of `eventClass` about `target`, with `previous` for a modification.
HRESULT MakeEvent(IWbemClassObject* eventClass, IWbemClassObject* target,
                  IWbemClassObject* previous, std::vector<ComPtr<IWbemClassObject>>& events) {
    if (!eventClass) return kWbemNoError;
    ComPtr<IWbemClassObject> event;
    NORV_RETURN_IF_FAILED(eventClass->SpawnInstance(0, event.put()));
    NORV_RETURN_IF_FAILED(PutObject(event.get(), L"TargetInstance", target));
    if (previous) NORV_RETURN_IF_FAILED(PutObject(event.get(), L"PreviousInstance", previous));
    events.push_back(std::move(event));
    return kWbemNoError;
}

struct EventClasses {
    IWbemClassObject* creation;
    IWbemClassObject* modification;
    IWbemClassObject* deletion;
};

// The events of one sensor class's changes, each instance made with the class's own fill.
template <typename Entry>
HRESULT MakeSensorEvents(const std::vector<SensorChange>& changes,
                         const std::vector<Entry>& previous, const std::vector<Entry>& current,
                         IWbemClassObject* classObject,
                         HRESULT (*fill)(const Entry&, const WbemObject&),
                         const EventClasses& eventClasses,
                         std::vector<ComPtr<IWbemClassObject>>& events) {
    for (const SensorChange& change : changes) {
        ComPtr<IWbemClassObject> before;
        ComPtr<IWbemClassObject> now;
        if (change.previous != kNoEntry) {
            NORV_RETURN_IF_FAILED(
                MakeInstance(classObject, previous[change.previous], fill, before));
        }
        if (change.current != kNoEntry) {
            NORV_RETURN_IF_FAILED(MakeInstance(classObject, current[change.current], fill, now));
        }
        switch (change.kind) {
            case SensorChangeKind::State:
                NORV_RETURN_IF_FAILED(
                    MakeEvent(eventClasses.modification, now.get(), before.get(), events));
                break;
            case SensorChangeKind::Appeared:
                NORV_RETURN_IF_FAILED(MakeEvent(eventClasses.creation, now.get(), nullptr, events));
                break;
            case SensorChangeKind::Disappeared:
                NORV_RETURN_IF_FAILED(
                    MakeEvent(eventClasses.deletion, before.get(), nullptr, events));
                break;
        }
    }
    return kWbemNoError;
}

}  // namespace

NorvHardwareEventProv::NorvHardwareEventProv() {
    lock_.SetObjectName(kHardwareEventProviderIdentity.className);
}

NorvHardwareEventProv::~NorvHardwareEventProv() {
    // The worker uses every member below: it ends before any of them.
    CriticalSectionScope scope(querySection_);
    worker_.Stop();
}

HRESULT NorvHardwareEventProv::QueryInterface(REFIID iid, void** out) noexcept {
    return QueryInterfaceAmong<IWbemProviderInit, IWbemEventProvider, IWbemEventProviderQuerySink,
                               IWbemEventProviderSecurity>(this, iid, out);
}

ULONG NorvHardwareEventProv::AddRef() noexcept {
    return references_.Add();
}

ULONG NorvHardwareEventProv::Release() noexcept {
    const ULONG left = references_.Remove();
    if (left == 0) delete this;
    return left;
}

HRESULT NorvHardwareEventProv::Initialize(LPWSTR /*user*/, LONG /*flags*/, LPWSTR /*nameSpace*/,
                                          LPWSTR /*locale*/, IWbemServices* services,
                                          IWbemContext* context,
                                          IWbemProviderInitSink* initSink) noexcept try {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    if (!services || !initSink) return kWbemInvalidParameter;
    NORV_RETURN_IF_FAILED(FetchClassDefinition(services, L"LogRecord", context, logRecordClass_));
    NORV_RETURN_IF_FAILED(FetchClassDefinition(services, L"Sensor", context, sensorClass_));
    NORV_RETURN_IF_FAILED(
        FetchClassDefinition(services, L"NumericSensor", context, numericSensorClass_));
    NORV_RETURN_IF_FAILED(
        FetchClassDefinition(services, L"__InstanceCreationEvent", context, creationEventClass_));
    NORV_RETURN_IF_FAILED(FetchClassDefinition(services, L"__InstanceModificationEvent", context,
                                               modificationEventClass_));
    (void)FetchClassDefinition(services, L"__InstanceDeletionEvent", context, deletionEventClass_);
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
                                        WBEM_WSTR /*query*/) noexcept try {
    CriticalSectionScope scope(querySection_);
    queries_.push_back(id);
    if (worker_.Running()) return kWbemNoError;
    previous_.reset();
    Tick();
    const HRESULT hr = worker_.Start(ReadEventPeriodSeconds(), [this] { Tick(); });
    if (FAILED(hr)) queries_.pop_back();
    return hr;
}
NORV_CATCH_RETURN()

HRESULT NorvHardwareEventProv::CancelQuery(ULONG id) noexcept {
    CriticalSectionScope scope(querySection_);
    const auto found = std::find(queries_.begin(), queries_.end(), id);
    if (found == queries_.end()) return kWbemNoError;
    queries_.erase(found);
    if (queries_.empty()) worker_.Stop();
    return kWbemNoError;
}

HRESULT NorvHardwareEventProv::AccessCheck(WBEM_CWSTR /*language*/, WBEM_CWSTR /*query*/,
                                           LONG /*sidLength*/, const BYTE* /*sid*/) noexcept {
    ClientImpersonation client;
    NORV_RETURN_IF_FAILED(client.Begin());
    return kWbemNoError;
}

void NorvHardwareEventProv::Tick() {
    ComPtr<IWbemObjectSink> sink;
    {
        CriticalSectionScope scope(sinkSection_);
        sink = sink_;
    }
    NamedLockScope ownLock(lock_);
    TakenSnapshot taken = TakeHardwareSnapshot();
    if (!taken.sensorsRead) {
        // A sensor cache that cannot be read says nothing about the sensors: no change.
        if (!previous_) return;
        taken.snapshot.sensors = previous_->sensors;
        taken.snapshot.numericSensors = previous_->numericSensors;
    }
    const HardwareEvents events =
        DetectHardwareEvents(previous_ ? &*previous_ : nullptr, taken.snapshot);
    if (sink && !events.Empty()) {
        (void)Deliver(*previous_, taken.snapshot, events, sink.get());
    }
    previous_ = std::move(taken.snapshot);
}

HRESULT NorvHardwareEventProv::Deliver(const HardwareSnapshot& previous,
                                       const HardwareSnapshot& current,
                                       const HardwareEvents& events, IWbemObjectSink* sink) const {
    const EventClasses eventClasses{creationEventClass_.get(), modificationEventClass_.get(),
                                    deletionEventClass_.get()};
    std::vector<ComPtr<IWbemClassObject>> made;
    for (const std::size_t index : events.newRecords) {
        ComPtr<IWbemClassObject> record;
        NORV_RETURN_IF_FAILED(
            MakeInstance(logRecordClass_.get(), current.log[index].record, &FillLogRecord, record));
        NORV_RETURN_IF_FAILED(MakeEvent(eventClasses.creation, record.get(), nullptr, made));
    }
    NORV_RETURN_IF_FAILED(MakeSensorEvents(events.sensorChanges, previous.sensors, current.sensors,
                                           sensorClass_.get(), &FillSensorInstance, eventClasses,
                                           made));
    NORV_RETURN_IF_FAILED(MakeSensorEvents(events.numericSensorChanges, previous.numericSensors,
                                           current.numericSensors, numericSensorClass_.get(),
                                           &FillNumericSensorInstance, eventClasses, made));
    for (const ComPtr<IWbemClassObject>& event : made) {
        IWbemClassObject* objects[] = {event.get()};
        NORV_RETURN_IF_FAILED(sink->Indicate(1, objects));
    }
    return kWbemNoError;
}

}  // namespace norv::win
