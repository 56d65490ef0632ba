// NorvHealthConditionProv: the "HealthCondition" instances, one per condition the log leaves
// active, read through the same reading of the caches as the log's own classes, so that one
// request sees one log.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <span>
#include <vector>

#include "alerts/health_condition_columns.h"
#include "alerts/health_condition_data.h"
#include "eventlog/cache_reading.h"
#include "host/instance_provider.h"

namespace norv::win {

// A request's conditions: worked out from one reading of the log and the sensors, whose
// locks are held from the refresh to the request's last instance, as for the log's classes.
class HealthConditionView {
public:
    class Session {
    public:
        Session(HealthConditionView& view, IWbemContext* context);
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

        bool Refreshed() const noexcept { return reading_.Log() != nullptr; }
        std::span<const HealthConditionData> Entries() const noexcept { return conditions_; }

    private:
        CacheReading reading_;
        std::vector<HealthConditionData> conditions_;
    };
};

struct HealthConditionClass : ServedByColumns<kHealthConditionColumns> {
    static constexpr ProviderClass kProviderClass = ProviderClass::HealthCondition;
    using Entry = HealthConditionData;
    using Data = HealthConditionView;
};

using NorvHealthConditionProv = InstanceProvider<HealthConditionClass>;
extern template class InstanceProvider<HealthConditionClass>;

}  // namespace norv::win
