// The process-wide event-log cache: the platform's management log read through the health
// driver's KronInfo class, its entries mapped to SEL events of the sensors the sensor cache
// holds, and the texts of every LogRecord and of the RecordLog, rebuilt at most once every
// two seconds under a machine-wide lock. What a rebuild makes is one shared value replaced
// whole, so a reader that took it may go on reading after the lock is given back.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <memory>

#include "eventlog/log_contents.h"
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

    // Held around Refresh and every read. Taken after the provider's own lock and before
    // the sensor cache's.
    NamedLock& Lock() noexcept { return lock_; }

    // Rebuilds everything unless it was rebuilt in the last two seconds. Always true: a log
    // that cannot be read is an empty (or shortened) log.
    bool Refresh(IWbemContext* context);

    // What the last rebuild made; an empty log before the first.
    std::shared_ptr<const LogContents> Contents() const noexcept { return contents_; }

private:
    // Fills the read's entries from every KronInfo instance; an instance whose properties
    // cannot be read ends the read (the entries of earlier instances stay).
    void ReadManagementLog(IWbemContext* context, LogContents& read);

    // Whose inventory the log is mapped against: it rebuilds it for each area, under its lock.
    SdrCache& sensors_;
    TimeZoneReader timeZone_;
    CacheFreshness freshness_;
    NamedLock lock_;
    std::shared_ptr<const LogContents> contents_;
};

// The one event-log cache of the module, built when it loads.
SelCache& TheSelCache();

}  // namespace norv::win
