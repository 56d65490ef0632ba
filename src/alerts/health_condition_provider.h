// NorvHealthConditionProv: the "HealthCondition" instances, one per condition the log leaves
// active, read from a snapshot of both caches under the same locks as the log's own classes,
// so that one request sees one log.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <span>
#include <vector>

#include "alerts/health_condition_columns.h"
#include "alerts/health_condition_data.h"
#include "eventlog/cache_snapshot_win.h"
#include "platform/named_lock_scope.h"
#include "host/instance_provider.h"

namespace norv::win {

// A request's conditions: worked out from one snapshot of the log and the sensors, taken and
// read while the event log's lock is held from the refresh to the request's last instance,
// as the log's classes hold it (LogView).
class HealthConditionView {
public:
    class Session {
    public:
        Session(HealthConditionView& view, IWbemContext* context);
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

        bool Refreshed() const noexcept { return snapshot_.log != nullptr; }
        std::span<const HealthConditionData> Entries() const noexcept { return conditions_; }

    private:
        NamedLockScope logLock_;
        const CacheSnapshot snapshot_;
        std::vector<HealthConditionData> conditions_;
    };
};

struct HealthConditionClass : ServedByColumns<kHealthConditionColumns> {
    static constexpr ProviderClass kProviderClass = ProviderClassNamed("NorvHealthConditionProv");
    using Entry = HealthConditionData;
    using Data = HealthConditionView;
};

using NorvHealthConditionProv = InstanceProvider<HealthConditionClass>;
extern template class InstanceProvider<HealthConditionClass>;

}  // namespace norv::win
