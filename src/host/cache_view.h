// The data of a class served from a process-wide cache: a view on the cache for one request,
// which holds the cache's machine-wide lock from the refresh to its last instance, so that no
// process rebuilds the cache while the request reads it. EntriesOf picks what the class
// shows out of the cache.
#pragma once

#include <wbemcli.h>

#include <span>

#include "platform/named_lock_scope.h"

namespace norv::win {

template <typename Cache, Cache& (*TheCache)(), typename Entry,
          std::span<const Entry> (*EntriesOf)(const Cache&)>
class CacheView {
public:
    class Session {
    public:
        Session(CacheView& /*view*/, IWbemContext* context)
            : cache_(TheCache()), lock_(cache_.Lock()), refreshed_(cache_.Refresh(context)) {}
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

        bool Refreshed() const noexcept { return refreshed_; }
        std::span<const Entry> Entries() const noexcept { return EntriesOf(cache_); }

    private:
        Cache& cache_;
        NamedLockScope lock_;
        const bool refreshed_;
    };
};

}  // namespace norv::win
