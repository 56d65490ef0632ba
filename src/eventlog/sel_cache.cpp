#include "eventlog/sel_cache.h"

#include <utility>

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
    : sensors_(sensors),
      timeZone_(timeZone),
      freshness_(clock),
      contents_(std::make_shared<const LogContents>()) {
    lock_.SetObjectName(kSelLockName);
}

bool SelCache::Refresh(IWbemContext* context) {
    if (freshness_.Fresh()) return true;
    freshness_.Invalidate();
    auto read = std::make_shared<LogContents>();
    ReadManagementLog(context, *read);
    SelRecords built = BuildSelRecords(read->entries, timeZone_(), TheManagementController());
    read->records = std::move(built.records);
    read->logData = std::move(built.logData);
    contents_ = std::move(read);
    freshness_.Refreshed();
    return true;
}

void SelCache::ReadManagementLog(IWbemContext* context, LogContents& read) {
    WmiHealthDataSource health(context);
    const auto withInventory = [this, context](const auto& use) {
        NamedLockScope sensorLock(sensors_.Lock());
        (void)sensors_.RebuildInventory(context);
        use(sensors_.Inventory());
    };
    read.readWhole =
        norv::ReadManagementLog(health, withInventory, read.entries, read.seen).whole;
}

NORV_PROCESS_WIDE(SelCache, TheSelCache, kLoadOrderEventLogCache)

}  // namespace norv::win
