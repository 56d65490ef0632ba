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

SdrCache::SdrCache(InventoryBuilder builder, Clock clock)
    : builder_(builder), freshness_(clock), inventoryFreshness_(clock) {
    lock_.SetObjectName(kSdrLockName);
}

bool SdrCache::Refresh(IWbemContext* context) {
    if (freshness_.Fresh()) return true;
    freshness_.Invalidate();
    if (RebuildInventory(context) && BuildLists()) freshness_.Refreshed();
    return freshness_.Valid();
}

bool SdrCache::RebuildInventory(IWbemContext* context) {
    inventoryFreshness_.Invalidate();
    if (builder_(inventory_, context)) inventoryFreshness_.Refreshed();
    return inventoryFreshness_.Valid();
}

bool SdrCache::RefreshReusingInventory(IWbemContext* context) {
    if (freshness_.Fresh()) return true;
    if (!inventoryFreshness_.Fresh()) return Refresh(context);
    freshness_.Invalidate();
    if (BuildLists()) freshness_.Refreshed(inventoryFreshness_.LastRefresh());
    return freshness_.Valid();
}

// Both lists are built even when the first fails, as a refresh always did.
bool SdrCache::BuildLists() {
    listReadsNotRun_ = inventory_.NotRun();
    const bool sensors = BuildSensorList(sensors_, inventory_);
    return BuildNumericSensorList(numericSensors_, inventory_) && sensors;
}

NORV_PROCESS_WIDE(SdrCache, TheSdrCache, kLoadOrderSensorCache)

}  // namespace norv::win
