#include "alerts/health_condition_provider.h"

#include "eventlog/sel_cache.h"
#include "host/provider_class_row.h"

namespace norv::win {

HealthConditionView::Session::Session(HealthConditionView& /*view*/, IWbemContext* context)
    : logLock_(TheSelCache().Lock()),
      snapshot_(TakeCacheSnapshot({.log = true, .sensors = true}, context)) {
    if (!snapshot_.log) return;
    const LogContents& log = *snapshot_.log;
    ConditionSources sources{.log = log.logData, .records = log.records, .entries = log.entries};
    if (snapshot_.inventory && snapshot_.sensors) {
        sources.inventory = snapshot_.inventory.get();
        sources.sensors = snapshot_.sensors->sensors.Entries();
        sources.numericSensors = snapshot_.sensors->numericSensors.Entries();
    }
    conditions_ = BuildHealthConditions(sources);
}

template class InstanceProvider<HealthConditionClass>;

template <>
HRESULT CreateProvider<HealthConditionClass::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvHealthConditionProv>(iid, out);
}

}  // namespace norv::win
