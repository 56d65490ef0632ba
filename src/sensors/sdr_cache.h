// The process-wide sensor cache: the inventory and the two instance lists made from it,
// rebuilt at most once every two seconds, under a machine-wide lock that every reader holds
// so that no host process reads a list while another rebuilds it.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <cstdint>

#include "inventory/refresh_rule.h"
#include "inventory/sensor_inventory.h"
#include "platform/named_lock.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

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

    // Held around Refresh and every read of the inventory or the lists.
    NamedLock& Lock() noexcept { return lock_; }

    // Brings the data up to date: nothing when it was rebuilt in the last two seconds, else
    // a rebuild of the inventory and both lists. True when all three are usable.
    bool Refresh(IWbemContext* context);

    // The event log's own rebuild, under the lock: the inventory only; the lists, their
    // validity and the refresh time stay as they are.
    bool RebuildInventory(IWbemContext* context);

    // Refresh for a reader that has just had the event log rebuild the inventory (the event
    // provider's tick): stale lists are made from an inventory built in the last two seconds
    // and count as refreshed when it was built, so the platform is not asked twice a tick.
    bool RefreshReusingInventory(IWbemContext* context);
    const SensorInventory& Inventory() const noexcept { return inventory_; }
    const SensorInstanceList& Sensors() const noexcept { return sensors_; }
    const NumericSensorInstanceList& NumericSensors() const noexcept { return numericSensors_; }
    // The reads of the inventory build the lists were made from that did not run.
    const HealthReads& ListReadsNotRun() const noexcept { return listReadsNotRun_; }

private:
    bool BuildLists();

    InventoryBuilder builder_;
    // The inventory and both lists, as the refresh rule sees them.
    CacheFreshness freshness_;
    // The inventory alone, built whole by either road.
    CacheFreshness inventoryFreshness_;
    NamedLock lock_;
    SensorInventory inventory_;
    SensorInstanceList sensors_;
    NumericSensorInstanceList numericSensors_;
    HealthReads listReadsNotRun_;
};

// The one cache of the module, built when it loads.
SdrCache& TheSdrCache();

// The inventory as the platform gives it now: the health driver's classes read through WMI
// with the request's context, the processors from SMBIOS and CPUID.
bool BuildPlatformInventory(SensorInventory& inventory, IWbemContext* context);

}  // namespace norv::win
