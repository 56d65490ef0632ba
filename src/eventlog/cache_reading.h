// A reading of the two process-wide caches, the one place that knows the order in which
// their machine-wide locks are taken: the event log's, then the sensor cache's (each after
// the caller's own provider lock). Each part asked for is refreshed under its lock and stays
// as it is, read only, until the reading ends; the locks are given back in the reverse
// order. The log providers, the event watch and the association graph read through it; the
// sensor providers take only the sensor lock (their CacheView).
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <optional>
#include <span>

#include "eventlog/sel_cache.h"
#include "platform/named_lock_scope.h"
#include "sensors/sdr_cache.h"

namespace norv::win {

struct CacheParts {
    bool log = false;
    bool sensors = false;
};

class CacheReading {
public:
    // Refreshes the parts asked for with the request's context (which may be null).
    CacheReading(CacheParts parts, IWbemContext* context);
    CacheReading(const CacheReading&) = delete;
    CacheReading& operator=(const CacheReading&) = delete;

    // The event-log cache; null when the log was not asked for. A log that cannot be read
    // is an empty (or shortened) log: its refresh always succeeds.
    const SelCache* Log() const noexcept { return log_; }
    // The sensor cache; null when the sensors were not asked for or could not be refreshed.
    const SdrCache* Sensors() const noexcept { return sensors_; }

private:
    std::optional<NamedLockScope> logLock_;
    std::optional<NamedLockScope> sensorLock_;
    const SelCache* log_ = nullptr;
    const SdrCache* sensors_ = nullptr;
};

// The data of a log class: a request's session is a reading of the log alone, held from the
// refresh to its last instance.
template <typename Entry, std::span<const Entry> (*EntriesOf)(const SelCache&)>
class LogView {
public:
    class Session {
    public:
        Session(LogView& /*view*/, IWbemContext* context) : reading_({.log = true}, context) {}
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

        bool Refreshed() const noexcept { return reading_.Log() != nullptr; }
        std::span<const Entry> Entries() const noexcept { return EntriesOf(*reading_.Log()); }

    private:
        CacheReading reading_;
    };
};

}  // namespace norv::win
