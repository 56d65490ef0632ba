#include "events/hardware_snapshot_win.h"

#include <algorithm>

#include "eventlog/sel_cache.h"
#include "platform/named_lock_scope.h"
#include "sensors/sdr_cache.h"

namespace norv::win {

TakenSnapshot TakeHardwareSnapshot() {
    TakenSnapshot taken;
    SelCache& log = TheSelCache();
    NamedLockScope logLock(log.Lock());
    (void)log.Refresh(nullptr);
    const auto records = log.Records();
    const auto entries = log.Entries();
    const std::size_t count = std::min(records.size(), entries.size());
    taken.snapshot.log.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        taken.snapshot.log.push_back({LogEntryIdentity(entries[index]), records[index]});
    }

    SdrCache& sensors = TheSdrCache();
    NamedLockScope sensorLock(sensors.Lock());
    if (!sensors.Refresh(nullptr)) return taken;
    const auto discrete = sensors.Sensors().Entries();
    const auto numeric = sensors.NumericSensors().Entries();
    taken.snapshot.sensors.assign(discrete.begin(), discrete.end());
    taken.snapshot.numericSensors.assign(numeric.begin(), numeric.end());
    taken.sensorsRead = true;
    return taken;
}

}  // namespace norv::win
