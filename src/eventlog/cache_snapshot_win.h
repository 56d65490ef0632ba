// Taking a CacheSnapshot: the one place that knows the order of the caches' machine-wide
// locks. The event log's lock is taken first, then the sensor cache's (each after the
// caller's own provider lock); each part asked for is refreshed under its lock and its
// shared values copied out; the locks are given back in the reverse order before the
// snapshot is returned. A part that cannot be refreshed is left out and the other kept.
// The sensor providers do not come here: they take only the sensor lock (their CacheView).
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <optional>

#include "eventlog/cache_snapshot.h"
#include "platform/named_lock_scope.h"

namespace norv::win {

struct CacheParts {
    bool log = false;
    bool sensors = false;
};

// With the caches given: the module's own (below) or a test's.
template <typename LogCache, typename SensorCache>
CacheSnapshot TakeCacheSnapshot(LogCache& log, SensorCache& sensors, CacheParts parts,
                                IWbemContext* context) {
    CacheSnapshot snapshot;
    // Declared in the order taken, so that they are given back in the reverse order.
    std::optional<NamedLockScope> logLock;
    std::optional<NamedLockScope> sensorLock;
    if (parts.log) {
        logLock.emplace(log.Lock());
        (void)log.Refresh(context);  // always succeeds: an unreadable log is an empty one
        snapshot.log = log.Contents();
    }
    if (parts.sensors) {
        sensorLock.emplace(sensors.Lock());
        if (parts.log) sensors.MakeListsFromRebuiltInventory();
        if (sensors.Refresh(context)) {
            snapshot.inventory = sensors.SharedInventory();
            snapshot.sensors = sensors.SharedLists();
        }
    }
    return snapshot;
}

// The module's caches, refreshed with the request's context (which may be null).
CacheSnapshot TakeCacheSnapshot(CacheParts parts, IWbemContext* context);

}  // namespace norv::win
