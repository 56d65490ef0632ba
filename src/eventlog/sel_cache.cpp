#include "eventlog/sel_cache.h"

#include <string>

#include "eventlog/management_log.h"
#include "eventlog/time_zone_win.h"
#include "inventory/cache_clock.h"
#include "inventory/controller_record.h"
#include "platform/health_data_source.h"
#include "platform/load_order.h"
#include "platform/named_lock_scope.h"
#include "platform/wmi_property.h"
#include "platform/wmi_query.h"

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
    WbemObjectList logs;
    lastReadWhole_ =
        SUCCEEDED(ExecWqlQuery(std::string(kHealthNamespace), kManagementLogQuery, logs, context));
    std::vector<std::uint8_t> area(kLogAreaCapacity);
    for (const WbemObject& log : logs) {
        std::int32_t size = 0;
        std::uint32_t received = static_cast<std::uint32_t>(area.size());
        if (FAILED(GetInt32Property(log, L"KronSize", size)) ||
            FAILED(GetByteArrayProperty(log, L"KronData", area.data(), received))) {
            freshness_.Invalidate();
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
