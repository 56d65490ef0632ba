#include "events/hardware_snapshot_win.h"

#include "eventlog/cache_reading.h"

namespace norv::win {

HardwareSnapshot TakeHardwareSnapshot() {
    HardwareSnapshot snapshot;
    const CacheReading reading({.log = true, .sensors = true}, nullptr);
    const SelCache& log = *reading.Log();
    snapshot.logRead = log.LastReadWhole();
    if (snapshot.logRead) {
        const auto records = log.Records();
        snapshot.records.assign(records.begin(), records.end());
        const auto seen = log.SeenEntries();
        snapshot.log.assign(seen.begin(), seen.end());
    }
    const SdrCache* sensors = reading.Sensors();
    if (!sensors) return snapshot;
    const auto discrete = sensors->Sensors().Entries();
    const auto numeric = sensors->NumericSensors().Entries();
    snapshot.sensors.assign(discrete.begin(), discrete.end());
    snapshot.numericSensors.assign(numeric.begin(), numeric.end());
    snapshot.sensorReadsNotRun = sensors->ListReadsNotRun();
    snapshot.sensorsRead = true;
    return snapshot;
}

}  // namespace norv::win
