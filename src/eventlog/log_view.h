// The data of a log class: a request's session is a snapshot of the log, taken and read
// while the event log's lock is held from the refresh to the request's last instance, so
// that log requests are serialised machine-wide behind the provider's own lock as the log
// classes define them.
#pragma once

#include <wbemcli.h>

#include <span>

#include "eventlog/cache_snapshot_win.h"
#include "eventlog/log_contents.h"
#include "eventlog/sel_cache.h"
#include "platform/named_lock_scope.h"

namespace norv::win {

template <typename Entry, std::span<const Entry> (*EntriesOf)(const LogContents&)>
class LogView {
public:
    class Session {
    public:
        Session(LogView& /*view*/, IWbemContext* context)
            : logLock_(TheSelCache().Lock()), snapshot_(TakeCacheSnapshot({.log = true}, context)) {}
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

        bool Refreshed() const noexcept { return snapshot_.log != nullptr; }
        std::span<const Entry> Entries() const noexcept { return EntriesOf(*snapshot_.log); }

    private:
        NamedLockScope logLock_;
        const CacheSnapshot snapshot_;
    };
};

}  // namespace norv::win
