// What one event provider object watches with: the baseline its ticks compare with and the
// events made but not yet delivered. A tick takes a snapshot under the provider's own lock
// and the caches' locks, gives every lock back, finds and makes the events under its own
// short-held section, and offers them to the sink with no lock held at all, so a sink that
// blocks in Indicate holds up neither the module's requests nor the calls that stop it.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <string>
#include <vector>

#include "alerts/active_conditions.h"
#include "alerts/alert_indication_data.h"
#include "events/change_detection.h"
#include "events/delivery_queue.h"
#include "events/monitoring_worker.h"
#include "platform/critical_section.h"
#include "platform/log_writer.h"
#include "platform/named_lock.h"
#include "platform/win_resource.h"

namespace norv::win {

class HardwareWatch {
public:
    HardwareWatch();
    HardwareWatch(const HardwareWatch&) = delete;
    HardwareWatch& operator=(const HardwareWatch&) = delete;

    // Fetches the definitions of the served and the event classes; WBEM_E_FAILED when one
    // of them is missing (the deletion event class may be).
    HRESULT Initialize(IWbemServices* services, IWbemContext* context);

    // A snapshot under the provider's own lock, then the caches' locks.
    HardwareSnapshot TakeSnapshot();
    // Makes `baseline` what the next tick compares with and forgets the waiting events.
    void Restart(HardwareSnapshot baseline);
    // From now on each tick also makes the alerts of its new records, against the conditions
    // of the baseline as it stands: the records it holds raise nothing. Until StopAlerts.
    void StartAlerts();
    void StopAlerts();
    // One look at the hardware. The events it finds wait for a sink when `sink` is null.
    void Tick(IWbemObjectSink* sink, const StopSignal& stop);

private:
    struct Event {
        ComPtr<IWbemClassObject> object;
        std::string name;  // what the diagnostic log calls it
    };

    void MakeEvents(const HardwareEvents& events, const HardwareSnapshot& previous,
                    const HardwareSnapshot& current);
    // The alerts of the tick's new records, each naming its sensor as the graph of the
    // current snapshot does; the conditions become the current snapshot's.
    std::vector<AlertIndicationData> DecideTickAlerts(const HardwareEvents& events,
                                                      const HardwareSnapshot& current);
    void QueueAlerts(const std::vector<AlertIndicationData>& alerts);
    void Queue(ComPtr<IWbemClassObject> object, std::string name);
    void GiveUp(const Event& event, const char* why);

    NamedLock lock_;
    LogWriter log_;
    ComPtr<IWbemClassObject> logRecordClass_;
    ComPtr<IWbemClassObject> sensorClass_;
    ComPtr<IWbemClassObject> numericSensorClass_;
    ComPtr<IWbemClassObject> creationEventClass_;
    ComPtr<IWbemClassObject> modificationEventClass_;
    ComPtr<IWbemClassObject> deletionEventClass_;
    ComPtr<IWbemClassObject> alertClass_;

    // Guards the baseline and the queue; never held across a call to the sink.
    CriticalSection stateSection_;
    EventBaseline baseline_;
    DeliveryQueue<Event> queue_;
    bool alertsWanted_ = false;
    // The conditions active in the baseline's log, while alerts are wanted.
    std::vector<ActiveCondition> conditions_;
};

}  // namespace norv::win
