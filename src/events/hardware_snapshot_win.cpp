#include "events/hardware_snapshot_win.h"

#include "eventlog/cache_snapshot_win.h"

namespace norv::win {

HardwareSnapshot TakeHardwareSnapshot() {
    HardwareSnapshot snapshot;
    const CacheSnapshot caches = TakeCacheSnapshot({.log = true, .sensors = true}, nullptr);
    const LogContents& log = *caches.log;
    snapshot.logRead = log.readWhole;
    if (snapshot.logRead) {
        snapshot.records.assign(log.records.begin(), log.records.end());
        snapshot.log.assign(log.seen.begin(), log.seen.end());
    }
    if (!caches.sensors) return snapshot;
    const SensorLists& sensors = *caches.sensors;
    snapshot.sensors.assign(sensors.sensors.Entries().begin(), sensors.sensors.Entries().end());
    snapshot.numericSensors.assign(sensors.numericSensors.Entries().begin(),
                                   sensors.numericSensors.Entries().end());
    snapshot.sensorReadsNotRun = sensors.readsNotRun;
    snapshot.sensorsRead = true;
    return snapshot;
}

}  // namespace norv::win
