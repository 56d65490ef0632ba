#include "events/hardware_watch.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "alerts/alert_indication_columns.h"
#include "alerts/event_meanings.h"
#include "eventlog/log_record_provider.h"
#include "events/hardware_snapshot_win.h"
#include "host/class_definition.h"
#include "host/instance_fill.h"
#include "graph/hardware_graph.h"
#include "inventory/controller_record.h"
#include "host/provider_class_identity.h"
#include "host/wbem_status.h"
#include "platform/named_lock_scope.h"
#include "sensors/sensor_fills.h"
#include "system/computer_system_data.h"

namespace norv::win {
namespace {

HRESULT PutObject(IWbemClassObject* event, const wchar_t* property, IWbemClassObject* object) {
    UniqueVariant value;
    value.vt = VT_UNKNOWN;
    value.punkVal = object;
    object->AddRef();
    return event->Put(property, 0, &value, 0);
}

// An event of `eventClass` about `target`, with `previous` for a modification.
HRESULT MakeEvent(IWbemClassObject* eventClass, IWbemClassObject* target,
                  IWbemClassObject* previous, ComPtr<IWbemClassObject>& event) {
    NORV_RETURN_IF_FAILED(eventClass->SpawnInstance(0, event.put()));
    NORV_RETURN_IF_FAILED(PutObject(event.get(), L"TargetInstance", target));
    if (previous) NORV_RETURN_IF_FAILED(PutObject(event.get(), L"PreviousInstance", previous));
    return kWbemNoError;
}

// Now, as a CIM datetime in UTC.
std::string CimTimeNow() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    char text[32];
    (void)std::snprintf(text, sizeof text, "%04u%02u%02u%02u%02u%02u.%06u+000", now.wYear,
                        now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                        static_cast<unsigned>(now.wMilliseconds) * 1000u);
    return text;
}

// Whether the log of `current` may hold other conditions than that of `previous`: entries
// came, or went (a cleared log, a ring that lost its oldest), or one stands for another event
// now (the platform marked it repaired in place, which leaves its identity as it was).
bool LogMayHaveChanged(const HardwareEvents& events, const HardwareSnapshot& previous,
                       const HardwareSnapshot& current) {
    if (previous.log == current.log) return false;
    if (!previous.log || !current.log) return true;
    const auto before = previous.Seen();
    const auto now = current.Seen();
    if (!events.newRecords.empty() || before.size() != now.size()) return true;
    if (!now.empty() && (before.front().identity != now.front().identity ||
                         before.back().identity != now.back().identity))
        return true;
    const std::span<const SelEntry> mappedBefore = previous.log->entries;
    const std::span<const SelEntry> mappedNow = current.log->entries;
    return !std::equal(mappedBefore.begin(), mappedBefore.end(), mappedNow.begin(),
                       mappedNow.end(), [](const SelEntry& was, const SelEntry& is) {
                           return EventKeyOf(was) == EventKeyOf(is);
                       });
}

HRESULT FillAlertIndication(const AlertIndicationData& data, const WbemObject& instance) {
    return FillFromColumns(kAlertIndicationColumns, data, instance);
}

}  // namespace

HardwareWatch::HardwareWatch() {
    lock_.SetObjectName(kHardwareEventProviderIdentity.className);
    log_.SetLabel("HardwareEvents::");
    log_.LoadConfiguration();
}

HRESULT HardwareWatch::Initialize(IWbemServices* services, IWbemContext* context) {
    NORV_RETURN_IF_FAILED(FetchClassDefinition(
        services, kWideServedClassName<ProviderClassNamed("NorvLogRecordProv")>.data(), context,
        logRecordClass_));
    NORV_RETURN_IF_FAILED(FetchClassDefinition(
        services, kWideServedClassName<ProviderClassNamed("NorvSensorProv")>.data(), context,
        sensorClass_));
    NORV_RETURN_IF_FAILED(FetchClassDefinition(
        services, kWideServedClassName<ProviderClassNamed("NorvNumericSensorProv")>.data(), context,
        numericSensorClass_));
    NORV_RETURN_IF_FAILED(
        FetchClassDefinition(services, L"__InstanceCreationEvent", context, creationEventClass_));
    NORV_RETURN_IF_FAILED(FetchClassDefinition(services, L"__InstanceModificationEvent", context,
                                               modificationEventClass_));
    (void)FetchClassDefinition(services, L"__InstanceDeletionEvent", context, deletionEventClass_);
    // Without its class (a MOF of before alerts) no alert is made; the other events are.
    (void)FetchClassDefinition(services, kAlertIndicationClassName, context, alertClass_);
    return kWbemNoError;
}

HardwareSnapshot HardwareWatch::TakeSnapshot() {
    NamedLockScope ownLock(lock_);
    return TakeHardwareSnapshot();
}

void HardwareWatch::Restart(HardwareSnapshot baseline) {
    CriticalSectionScope state(stateSection_);
    baseline_.Reset();
    (void)baseline_.Advance(std::move(baseline));
    queue_.Clear();
    conditions_.clear();
    alertsWanted_ = false;
}

void HardwareWatch::StartAlerts() {
    CriticalSectionScope state(stateSection_);
    if (alertsWanted_) return;
    const HardwareSnapshot& baseline = baseline_.Current();
    const std::span<const SelEntry> entries =
        baseline.log ? std::span<const SelEntry>(baseline.log->entries)
                     : std::span<const SelEntry>();
    conditions_ = ActiveConditions(entries, [&baseline](std::string_view deviceId) {
        return UpperThresholdOf(baseline.NumericSensors(), deviceId);
    });
    alertsWanted_ = true;
}

void HardwareWatch::StopAlerts() {
    CriticalSectionScope state(stateSection_);
    alertsWanted_ = false;
    conditions_.clear();
}

void HardwareWatch::Tick(IWbemObjectSink* sink, const StopSignal& stop) {
    HardwareSnapshot snapshot = TakeSnapshot();
    std::vector<AlertIndicationData> alerts;
    {
        CriticalSectionScope state(stateSection_);
        // A stopped run's tick leaves the state to the run that may follow it.
        if (stop.Requested()) return;
        const HardwareEvents events = baseline_.Advance(std::move(snapshot));
        if (!events.Empty()) MakeEvents(events, baseline_.Previous(), baseline_.Current());
        if (alertsWanted_ && LogMayHaveChanged(events, baseline_.Previous(), baseline_.Current()))
            alerts = DecideTickAlerts(events, baseline_.Current());
    }
    std::vector<DeliveryQueue<Event>::Queued> offered;
    {
        CriticalSectionScope state(stateSection_);
        if (stop.Requested()) return;
        QueueAlerts(alerts);
        if (!sink) return;
        offered = queue_.TakeAll();
    }
    const auto indicate = [sink](Event& event) {
        IWbemClassObject* objects[] = {event.object.get()};
        return SUCCEEDED(sink->Indicate(1, objects));
    };
    auto kept = OfferInOrder<Event>(
        std::move(offered), indicate, [&stop] { return stop.Requested(); },
        [this](const Event& event) { GiveUp(event, "not delivered after three tries"); });
    CriticalSectionScope state(stateSection_);
    if (!stop.Requested()) queue_.PutBack(std::move(kept));
}

std::vector<AlertIndicationData> HardwareWatch::DecideTickAlerts(const HardwareEvents& events,
                                                                 const HardwareSnapshot& current) {
    const UpperThresholdLookup upperThreshold = [&current](std::string_view deviceId) {
        return UpperThresholdOf(current.NumericSensors(), deviceId);
    };
    const std::span<const SelEntry> entries =
        current.log ? std::span<const SelEntry>(current.log->entries) : std::span<const SelEntry>();
    std::vector<ActiveCondition> now = ActiveConditions(entries, upperThreshold);
    const std::vector<AlertDecision> decisions =
        DecideAlerts(conditions_, now, entries, events.newRecords, upperThreshold);
    conditions_ = std::move(now);
    if (decisions.empty()) return {};
    const ManagementControllerRecord& controller = TheManagementController();
    const std::string systemName = MakeComputerSystemData(controller, std::nullopt).name;
    std::vector<AlertIndicationData> alerts = BuildAlertIndications(
        decisions,
        {.entries = entries, .records = current.Records(), .systemName = systemName},
        CimTimeNow());
    // The sensors are named by the paths the graph makes of this same snapshot.
    GraphEnds ends;
    AddSystemEnds(ends, controller);
    AddSnapshotEnds(ends, {.log = current.log, .inventory = current.inventory,
                           .sensors = current.sensors});
    NameAlertingElements(alerts, ends);
    return alerts;
}

void HardwareWatch::QueueAlerts(const std::vector<AlertIndicationData>& alerts) {
    for (const AlertIndicationData& data : alerts) {
        std::string name = "AlertIndication " + data.indicationIdentifier;
        ComPtr<IWbemClassObject> event;
        if (!alertClass_ ||
            FAILED(MakeInstance(alertClass_.get(), data, &FillAlertIndication, event))) {
            if (alertClass_) GiveUp({nullptr, std::move(name)}, "could not be made");
            continue;
        }
        Queue(std::move(event), std::move(name));
    }
}

void HardwareWatch::Queue(ComPtr<IWbemClassObject> object, std::string name) {
    for (const Event& dropped : queue_.Add({std::move(object), std::move(name)})) {
        GiveUp(dropped, "dropped: too many events wait for a sink");
    }
}

void HardwareWatch::GiveUp(const Event& event, const char* why) {
    (void)log_.LogError("event of %s %s", event.name.c_str(), why);
}

void HardwareWatch::MakeEvents(const HardwareEvents& events, const HardwareSnapshot& previous,
                               const HardwareSnapshot& current) {
    // An event that cannot be made is reported and the others are made all the same.
    const auto make = [this](IWbemClassObject* eventClass, IWbemClassObject* target,
                             IWbemClassObject* before, std::string name) {
        ComPtr<IWbemClassObject> event;
        if (!eventClass || !target || FAILED(MakeEvent(eventClass, target, before, event))) {
            if (eventClass) GiveUp({nullptr, std::move(name)}, "could not be made");
            return;
        }
        Queue(std::move(event), std::move(name));
    };
    for (const std::size_t index : events.newRecords) {
        const LogRecordData& record = current.Records()[index];
        ComPtr<IWbemClassObject> instance;
        (void)MakeInstance(logRecordClass_.get(), record, &FillLogRecord, instance);
        make(creationEventClass_.get(), instance.get(), nullptr,
             std::string(IdentityOf("NorvLogRecordProv").servedClass) + " RecordID " +
                 record.recordNumber + " of " + std::string(record.messageTimestamp));
    }
    const auto sensorEvents = [&](const auto& changes, const auto& before, const auto& now,
                                  IWbemClassObject* classObject, auto fill,
                                  std::string_view className) {
        for (const SensorChange& change : changes) {
            ComPtr<IWbemClassObject> previousInstance;
            ComPtr<IWbemClassObject> currentInstance;
            const auto& entry =
                change.current != kNoEntry ? now[change.current] : before[change.previous];
            if (change.previous != kNoEntry) {
                (void)MakeInstance(classObject, before[change.previous], fill, previousInstance);
            }
            if (change.current != kNoEntry) {
                (void)MakeInstance(classObject, now[change.current], fill, currentInstance);
            }
            std::string name = std::string(className) + " " + entry.deviceId;
            switch (change.kind) {
                case SensorChangeKind::State:
                    // Without its previous instance a modification is not made at all.
                    make(modificationEventClass_.get(),
                         previousInstance ? currentInstance.get() : nullptr, previousInstance.get(),
                         std::move(name));
                    break;
                case SensorChangeKind::Appeared:
                    make(creationEventClass_.get(), currentInstance.get(), nullptr,
                         std::move(name));
                    break;
                case SensorChangeKind::Disappeared:
                    make(deletionEventClass_.get(), previousInstance.get(), nullptr,
                         std::move(name));
                    break;
            }
        }
    };
    sensorEvents(events.sensorChanges, previous.Sensors(), current.Sensors(), sensorClass_.get(),
                 &FillSensorInstance, IdentityOf("NorvSensorProv").servedClass);
    sensorEvents(events.numericSensorChanges, previous.NumericSensors(), current.NumericSensors(),
                 numericSensorClass_.get(), &FillNumericSensorInstance,
                 IdentityOf("NorvNumericSensorProv").servedClass);
}

}  // namespace norv::win
