#include "sensors/sdr_cache.h"

#include "inventory/cache_clock.h"
#include "inventory/inventory_build.h"
#include "inventory/refresh_rule.h"
#include "platform/load_order.h"
#include "platform/processor_info_win.h"
#include "platform/wmi_health_data_source.h"

namespace norv::win {

bool BuildPlatformInventory(SensorInventory& inventory, IWbemContext* context) {
    WmiHealthDataSource health(context);
    WindowsProcessorInfoSource processors;
    return BuildInventory(inventory, health, processors);
}

SdrCache::SdrCache() : SdrCache(&BuildPlatformInventory, &SystemClockSeconds) {}

// The first Refresh always rebuilds: the cache starts invalid and three seconds old.
SdrCache::SdrCache(InventoryBuilder builder, Clock clock)
    : builder_(builder), clock_(clock), lastRefresh_(clock() - 3), inventoryBuilt_(lastRefresh_) {
    lock_.SetObjectName(kSdrLockName);
}

bool SdrCache::Refresh(IWbemContext* context) {
    if (IsCacheFresh(valid_, lastRefresh_, clock_())) return true;
    valid_ = false;
    valid_ = RebuildInventory(context);
    if (valid_) {
        valid_ = BuildSensorList(sensors_, inventory_);
        valid_ = BuildNumericSensorList(numericSensors_, inventory_) && valid_;
    }
    if (valid_) lastRefresh_ = clock_();
    return valid_;
}

bool SdrCache::RebuildInventory(IWbemContext* context) {
    inventoryValid_ = builder_(inventory_, context);
    if (inventoryValid_) inventoryBuilt_ = clock_();
    return inventoryValid_;
}

bool SdrCache::RefreshReusingInventory(IWbemContext* context) {
    if (IsCacheFresh(valid_, lastRefresh_, clock_())) return true;
    if (!IsCacheFresh(inventoryValid_, inventoryBuilt_, clock_())) return Refresh(context);
    valid_ = BuildSensorList(sensors_, inventory_);
    valid_ = BuildNumericSensorList(numericSensors_, inventory_) && valid_;
    if (valid_) lastRefresh_ = inventoryBuilt_;
    return valid_;
}

namespace {
NORV_LOAD_ORDER(kLoadOrderSensorCache) SdrCache sdrCache;
}  // namespace

SdrCache& TheSdrCache() {
    return sdrCache;
}

}  // namespace norv::win
