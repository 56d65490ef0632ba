// The process-wide event-log cache: the platform's management log read through the health
// driver's KronInfo class, its entries mapped to SEL events of the sensors the sensor cache
// holds, and the texts of every LogRecord and of the RecordLog, rebuilt at most once every
// two seconds under a machine-wide lock.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <cstdint>
#include <span>
#include <vector>

#include "eventlog/log_record_data.h"
#include "eventlog/management_log.h"
#include "eventlog/sel_entry.h"
#include "eventlog/time_zone_rules.h"
#include "inventory/refresh_rule.h"
#include "platform/named_lock.h"
#include "sensors/sdr_cache.h"

namespace norv::win {

inline constexpr char kSelLockName[] = "Norv_SEL_Access";

class SelCache {
public:
    using Clock = CacheFreshness::Clock;
    using TimeZoneReader = TimeZoneRules (*)();

    SelCache();
    SelCache(SdrCache& sensors, Clock clock, TimeZoneReader timeZone);
    SelCache(const SelCache&) = delete;
    SelCache& operator=(const SelCache&) = delete;

    // Held around Refresh and every read of the records and the log's values. Taken after
    // the provider's own lock and before the sensor cache's.
    NamedLock& Lock() noexcept { return lock_; }

    // Rebuilds everything unless it was rebuilt in the last two seconds. Always true: a log
    // that cannot be read is an empty (or shortened) log.
    bool Refresh(IWbemContext* context);

    // Fills the entries from every KronInfo instance; false when an instance's properties
    // cannot be read (the entries of earlier instances stay).
    bool ReadManagementLog(IWbemContext* context);

    // Whether the read behind the records saw the whole log: the query answered, every
    // instance's properties were read and every area came whole. A log that could not be
    // read looks empty (or shortened) to the providers; the event provider must not take
    // that for entries that went away.
    bool LastReadWhole() const noexcept { return lastReadWhole_; }
    // Every entry that read walked, mapped or not, in log order.
    std::span<const SeenLogEntry> SeenEntries() const noexcept { return seen_; }

    std::span<const LogRecordData> Records() const noexcept { return records_; }
    // The mapped entries the records were made of, one per record and in the same order.
    std::span<const SelEntry> Entries() const noexcept { return entries_; }
    const RecordLogData& LogData() const noexcept { return logData_; }

private:
    // Whose inventory the log is mapped against: it rebuilds it for each area, under its lock.
    SdrCache& sensors_;
    TimeZoneReader timeZone_;
    CacheFreshness freshness_;
    NamedLock lock_;
    std::vector<LogRecordData> records_;
    std::vector<SelEntry> entries_;
    std::vector<SeenLogEntry> seen_;
    bool lastReadWhole_ = false;
    RecordLogData logData_;
};

// The one event-log cache of the module, built when it loads.
SelCache& TheSelCache();

}  // namespace norv::win
