#include "events/hardware_snapshot_win.h"

#include <utility>

#include "eventlog/cache_snapshot_win.h"

namespace norv::win {

HardwareSnapshot TakeHardwareSnapshot() {
    CacheSnapshot caches = TakeCacheSnapshot({.log = true, .sensors = true}, nullptr);
    HardwareSnapshot snapshot;
    if (caches.log->readWhole) snapshot.log = std::move(caches.log);
    snapshot.sensors = std::move(caches.sensors);
    snapshot.inventory = std::move(caches.inventory);
    return snapshot;
}

}  // namespace norv::win
