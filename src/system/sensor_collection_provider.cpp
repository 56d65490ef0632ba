#include "system/sensor_collection_provider.h"

#include "host/instance_writer.h"

namespace norv::win {

static_assert(IdentityOf(SensorCollectionClass::kProviderClass).servedClass ==
              kSystemSpecificCollectionClass);

void BuildSensorCollectionList(std::vector<SensorCollectionData>& list, IWbemContext* /*context*/) {
    list.push_back(MakeSensorCollectionData(TheManagementController()));
}

HRESULT FillSensorCollectionInstance(const SensorCollectionData& record,
                                     const WbemObject& instance) {
    InstanceWriter writer(instance);
    writer.PutString(L"InstanceID", record.instanceId);
    writer.PutString(L"Caption", record.caption);
    writer.PutString(L"ElementName", record.elementName);
    writer.PutString(L"Description", record.description);
    return writer.Status();
}

template class InstanceProvider<SensorCollectionClass>;

}  // namespace norv::win
