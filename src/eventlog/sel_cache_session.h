// The data of the two log classes: a view on the process-wide event-log cache. A request
// holds the cache's machine-wide lock from the refresh to its last instance.
#pragma once

#include <wbemcli.h>

#include <span>

#include "eventlog/sel_cache.h"
#include "platform/named_lock_scope.h"

namespace norv::win {

// EntriesOf picks what the class shows out of the cache.
template <typename Entry, std::span<const Entry> (*EntriesOf)(const SelCache&)>
class SelCacheView {
public:
    class Session {
    public:
        Session(SelCacheView& /*view*/, IWbemContext* context)
            : cache_(TheSelCache()), lock_(cache_.Lock()), refreshed_(cache_.Refresh(context)) {}
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

        bool Refreshed() const noexcept { return refreshed_; }
        std::span<const Entry> Entries() const noexcept { return EntriesOf(cache_); }

    private:
        SelCache& cache_;
        NamedLockScope lock_;
        const bool refreshed_;
    };
};

}  // namespace norv::win
