#include "alerts/health_condition_provider.h"

#include "host/provider_class_row.h"

namespace norv::win {

HealthConditionView::Session::Session(HealthConditionView& /*view*/, IWbemContext* context)
    : reading_({.log = true, .sensors = true}, context) {
    const SelCache* log = reading_.Log();
    if (log == nullptr) return;
    const SdrCache* sensors = reading_.Sensors();
    ConditionSources sources{.log = log->LogData(),
                             .records = log->Records(),
                             .entries = log->Entries()};
    if (sensors != nullptr) {
        sources.inventory = &sensors->Inventory();
        sources.sensors = sensors->Sensors().Entries();
        sources.numericSensors = sensors->NumericSensors().Entries();
    }
    conditions_ = BuildHealthConditions(sources);
}

template class InstanceProvider<HealthConditionClass>;

template <>
HRESULT CreateProvider<HealthConditionClass::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvHealthConditionProv>(iid, out);
}

}  // namespace norv::win
