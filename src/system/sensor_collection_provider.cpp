#include "system/sensor_collection_provider.h"

#include "host/instance_fill.h"

namespace norv::win {

static_assert(IdentityOf(SensorCollectionClass::kProviderClass).servedClass ==
              kSystemSpecificCollectionClass);

void BuildSensorCollectionList(std::vector<SensorCollectionData>& list, IWbemContext* /*context*/) {
    list.push_back(MakeSensorCollectionData(TheManagementController()));
}

HRESULT FillSensorCollectionInstance(const SensorCollectionData& record,
                                     const WbemObject& instance) {
    return FillFromColumns(kSensorCollectionColumns, record, instance);
}

template class InstanceProvider<SensorCollectionClass>;

}  // namespace norv::win
