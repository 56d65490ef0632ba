// The process-wide sensor cache: the inventory and the two instance lists made from it,
// rebuilt at most once every two seconds, under a machine-wide lock that every reader holds
// while it refreshes. What it builds is kept as shared values replaced whole on each
// rebuild, so a reader that took them may go on reading after the lock is given back.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <memory>

#include "inventory/refresh_rule.h"
#include "inventory/sensor_inventory.h"
#include "platform/health_data_source.h"
#include "platform/named_lock.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"
#include "sensors/sensor_lists.h"

namespace norv::win {

inline constexpr char kSdrLockName[] = "Norv_SDR_Access";

class SdrCache {
public:
    // Rebuilds the inventory from the platform; the request context may be null.
    using InventoryBuilder = bool (*)(SensorInventory& inventory, IWbemContext* context);
    using Clock = CacheFreshness::Clock;

    SdrCache();
    SdrCache(InventoryBuilder builder, Clock clock);
    SdrCache(const SdrCache&) = delete;
    SdrCache& operator=(const SdrCache&) = delete;

    // Held around Refresh, RebuildInventory, MakeListsFromRebuiltInventory and every read.
    NamedLock& Lock() noexcept { return lock_; }

    // Brings the data up to date: nothing when it was rebuilt in the last two seconds, else
    // a rebuild of the inventory and both lists. True when all three are usable.
    bool Refresh(IWbemContext* context);

    // The event log's own rebuild: the inventory only; the lists, their validity and the
    // refresh time stay as they are.
    bool RebuildInventory(IWbemContext* context);

    // For a reader that has just had the event log refresh: lists older than two seconds are
    // made from the inventory the log rebuilt in the last two seconds, dated by that build,
    // so that the next Refresh finds them fresh and the platform is not asked twice. Nothing
    // when the lists are fresh or there is no such inventory (then Refresh builds it).
    void MakeListsFromRebuiltInventory();

    // The inventory as last built, by either road, and the lists as last made.
    std::shared_ptr<const SensorInventory> SharedInventory() const noexcept { return inventory_; }
    std::shared_ptr<const SensorLists> SharedLists() const noexcept { return lists_; }

    const SensorInventory& Inventory() const noexcept { return *inventory_; }
    const SensorInstanceList& Sensors() const noexcept { return lists_->sensors; }
    const NumericSensorInstanceList& NumericSensors() const noexcept {
        return lists_->numericSensors;
    }

private:
    bool BuildLists();

    InventoryBuilder builder_;
    // The inventory and both lists, as the refresh rule sees them.
    CacheFreshness freshness_;
    // The inventory alone, built whole by either road.
    CacheFreshness inventoryFreshness_;
    NamedLock lock_;
    std::shared_ptr<const SensorInventory> inventory_;
    std::shared_ptr<const SensorLists> lists_;
    // The operating system's processor objects, asked for once and handed to every build.
    HealthObjectList processors_;
};

// The one cache of the module, built when it loads.
SdrCache& TheSdrCache();

// The inventory as the platform gives it now: the health driver's classes read through WMI
// with the request's context, the processors from SMBIOS and CPUID.
bool BuildPlatformInventory(SensorInventory& inventory, IWbemContext* context);

}  // namespace norv::win
