#include "system/sensor_collection_provider.h"

#include "host/provider_class_row.h"

namespace norv::win {

void BuildSensorCollectionList(std::vector<SensorCollectionData>& list, IWbemContext* /*context*/) {
    list.push_back(MakeSensorCollectionData(TheManagementController()));
}

template class InstanceProvider<SensorCollectionClass>;

template <>
HRESULT CreateProvider<SensorCollectionClass::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvSystemSpecificCollectionProv>(iid, out);
}

}  // namespace norv::win
