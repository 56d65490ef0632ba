// The data of the two sensor classes: a view on the process-wide sensor cache. A request
// holds the cache's machine-wide lock from the refresh to its last instance, so that no
// process rebuilds the lists while it reads them.
#pragma once

#include <wbemcli.h>

#include <span>

#include "platform/named_lock_scope.h"
#include "sensors/sdr_cache.h"

namespace norv::win {

// ListOf picks the list the class serves out of the cache.
template <typename Entry, const SensorEntryList<Entry>& (*ListOf)(const SdrCache&)>
class SdrCacheView {
public:
    class Session {
    public:
        Session(SdrCacheView& /*view*/, IWbemContext* context)
            : cache_(TheSdrCache()), lock_(cache_.Lock()), refreshed_(cache_.Refresh(context)) {}
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

        bool Refreshed() const noexcept { return refreshed_; }
        std::span<const Entry> Entries() const noexcept { return ListOf(cache_).Entries(); }

    private:
        SdrCache& cache_;
        NamedLockScope lock_;
        const bool refreshed_;
    };
};

}  // namespace norv::win
