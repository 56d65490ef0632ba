#include "eventlog/sel_cache.h"

#include <string>

#include "eventlog/management_log.h"
#include "eventlog/time_zone_win.h"
#include "inventory/cache_clock.h"
#include "inventory/controller_record.h"
#include "platform/load_order.h"
#include "platform/named_lock_scope.h"
#include "platform/wmi_health_data_source.h"

namespace norv::win {

SelCache::SelCache() : SelCache(TheSdrCache(), &SystemClockSeconds, &ReadTimeZoneRules) {}

SelCache::SelCache(SdrCache& sensors, Clock clock, TimeZoneReader timeZone)
    : sensors_(sensors), timeZone_(timeZone), freshness_(clock) {
    lock_.SetObjectName(kSelLockName);
}

bool SelCache::Refresh(IWbemContext* context) {
    if (freshness_.Fresh()) return true;
    records_.clear();
    freshness_.Invalidate();
    (void)ReadManagementLog(context);
    SelRecords built = BuildSelRecords(entries_, timeZone_(), TheManagementController());
    records_ = std::move(built.records);
    logData_ = std::move(built.logData);
    freshness_.Refreshed();
    return true;
}

bool SelCache::ReadManagementLog(IWbemContext* context) {
    entries_.clear();
    seen_.clear();
    WmiHealthDataSource health(context);
    const auto withInventory = [this, context](const auto& use) {
        NamedLockScope sensorLock(sensors_.Lock());
        (void)sensors_.RebuildInventory(context);
        use(sensors_.Inventory());
    };
    const ManagementLogRead read = norv::ReadManagementLog(health, withInventory, entries_, seen_);
    lastReadWhole_ = read.whole;
    if (!read.propertiesRead) {
        freshness_.Invalidate();
        records_.clear();
    }
    return read.propertiesRead;
}

NORV_PROCESS_WIDE(SelCache, TheSelCache, kLoadOrderEventLogCache)

}  // namespace norv::win
