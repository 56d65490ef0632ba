#include "events/hardware_snapshot_win.h"

#include "eventlog/sel_cache.h"
#include "platform/named_lock_scope.h"
#include "sensors/sdr_cache.h"

namespace norv::win {

HardwareSnapshot TakeHardwareSnapshot() {
    HardwareSnapshot snapshot;
    SelCache& log = TheSelCache();
    NamedLockScope logLock(log.Lock());
    (void)log.Refresh(nullptr);
    snapshot.logRead = log.LastReadWhole();
    if (snapshot.logRead) {
        const auto records = log.Records();
        snapshot.records.assign(records.begin(), records.end());
        const auto seen = log.SeenEntries();
        snapshot.log.reserve(seen.size());
        for (const SeenLogEntry& entry : seen) {
            const bool hasRecord = entry.mapped < snapshot.records.size();
            snapshot.log.push_back({entry.identity, hasRecord ? entry.mapped : kNotMapped});
        }
    }

    SdrCache& sensors = TheSdrCache();
    NamedLockScope sensorLock(sensors.Lock());
    // The event log's refresh has just built the inventory: the lists are made from it.
    if (!sensors.RefreshReusingInventory(nullptr)) return snapshot;
    const auto discrete = sensors.Sensors().Entries();
    const auto numeric = sensors.NumericSensors().Entries();
    snapshot.sensors.assign(discrete.begin(), discrete.end());
    snapshot.numericSensors.assign(numeric.begin(), numeric.end());
    snapshot.sensorReadsNotRun = sensors.ListReadsNotRun();
    snapshot.sensorsRead = true;
    return snapshot;
}

}  // namespace norv::win
