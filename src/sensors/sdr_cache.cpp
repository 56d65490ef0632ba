#include "sensors/sdr_cache.h"

#include <utility>

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
    : builder_(builder),
      freshness_(clock),
      inventoryFreshness_(clock),
      inventory_(std::make_shared<const SensorInventory>()),
      lists_(std::make_shared<const SensorLists>()) {
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
    auto built = std::make_shared<SensorInventory>();
    built->KeepProcessors(std::move(processors_));
    const bool whole = builder_(*built, context);
    processors_ = built->TakeProcessors();
    inventory_ = std::move(built);
    if (whole) inventoryFreshness_.Refreshed();
    return inventoryFreshness_.Valid();
}

void SdrCache::MakeListsFromRebuiltInventory() {
    if (freshness_.Fresh() || !inventoryFreshness_.Fresh()) return;
    freshness_.Invalidate();
    if (BuildLists()) freshness_.Refreshed(inventoryFreshness_.LastRefresh());
}

// Both lists are built even when the first fails, as a refresh always did.
bool SdrCache::BuildLists() {
    auto lists = std::make_shared<SensorLists>();
    lists->readsNotRun = inventory_->NotRun();
    const bool sensors = BuildSensorList(lists->sensors, *inventory_);
    const bool numeric = BuildNumericSensorList(lists->numericSensors, *inventory_);
    lists_ = std::move(lists);
    return sensors && numeric;
}

NORV_PROCESS_WIDE(SdrCache, TheSdrCache, kLoadOrderSensorCache)

}  // namespace norv::win
