#include "system/sensor_collection_provider.h"

namespace norv::win {

void BuildSensorCollectionList(std::vector<SensorCollectionData>& list, IWbemContext* /*context*/) {
    list.push_back(MakeSensorCollectionData(TheManagementController()));
}

template class InstanceProvider<SensorCollectionClass>;

}  // namespace norv::win
