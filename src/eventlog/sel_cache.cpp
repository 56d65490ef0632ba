#include "eventlog/sel_cache.h"

#include <string>

#include "eventlog/management_log.h"
#include "eventlog/time_zone_win.h"
#include "inventory/cache_clock.h"
#include "inventory/controller_record.h"
#include "inventory/refresh_rule.h"
#include "platform/health_data_source.h"
#include "platform/load_order.h"
#include "platform/named_lock_scope.h"
#include "platform/wmi_property.h"
#include "platform/wmi_query.h"

namespace norv::win {

SelCache::SelCache() : SelCache(TheSdrCache(), &SystemClockSeconds, &ReadTimeZoneRules) {}

// The first Refresh always rebuilds: the cache starts invalid and three seconds old.
SelCache::SelCache(SdrCache& sensors, Clock clock, TimeZoneReader timeZone)
    : sensors_(sensors), clock_(clock), timeZone_(timeZone), lastRefresh_(clock() - 3) {
    lock_.SetObjectName(kSelLockName);
}

bool SelCache::Refresh(IWbemContext* context) {
    if (IsCacheFresh(valid_, lastRefresh_, clock_())) return true;
    records_.clear();
    valid_ = false;
    (void)ReadManagementLog(context);
    SelRecords built = BuildSelRecords(entries_, timeZone_(), TheManagementController());
    records_ = std::move(built.records);
    logData_ = std::move(built.logData);
    lastRefresh_ = clock_();
    valid_ = true;
    return true;
}

bool SelCache::ReadManagementLog(IWbemContext* context) {
    entries_.clear();
    seen_.clear();
    WbemObjectList logs;
    lastReadWhole_ =
        SUCCEEDED(ExecWqlQuery(std::string(kHealthNamespace), kManagementLogQuery, logs, context));
    std::vector<std::uint8_t> area(kLogAreaCapacity);
    for (const WbemObject& log : logs) {
        std::int32_t size = 0;
        std::uint32_t received = static_cast<std::uint32_t>(area.size());
        if (FAILED(GetInt32Property(log, L"KronSize", size)) ||
            FAILED(GetByteArrayProperty(log, L"KronData", area.data(), received))) {
            valid_ = false;
            records_.clear();
            lastReadWhole_ = false;
            return false;
        }
        if (!IsWholeLogArea(received, size)) lastReadWhole_ = false;
        // The event log names the sensors exactly as the sensor classes show them now.
        NamedLockScope sensorLock(sensors_.Lock());
        (void)sensors_.RebuildInventory(context);
        ReadLogArea(std::span<const std::uint8_t>(area.data(), received), size,
                    sensors_.Inventory(), entries_, &seen_);
    }
    return true;
}

namespace {
NORV_LOAD_ORDER(kLoadOrderEventLogCache) SelCache selCache;
}  // namespace

SelCache& TheSelCache() {
    return selCache;
}

}  // namespace norv::win
