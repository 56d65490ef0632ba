#include "eventlog/cache_reading.h"

namespace norv::win {

CacheReading::CacheReading(CacheParts parts, IWbemContext* context) {
    if (parts.log) {
        SelCache& log = TheSelCache();
        logLock_.emplace(log.Lock());
        (void)log.Refresh(context);
        log_ = &log;
    }
    if (parts.sensors) {
        SdrCache& sensors = TheSdrCache();
        sensorLock_.emplace(sensors.Lock());
        // The log's refresh has just rebuilt the inventory it mapped its entries with: the
        // lists are made from it, so the platform is asked once.
        const bool refreshed =
            parts.log ? sensors.RefreshReusingInventory(context) : sensors.Refresh(context);
        if (refreshed) sensors_ = &sensors;
    }
}

}  // namespace norv::win
