// NorvSystemSpecificCollectionProv: the "SystemSpecificCollection" instance that stands for
// the controller's sensors, made on every request.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <vector>

#include "host/instance_provider.h"
#include "host/rebuilt_list.h"
#include "system/sensor_collection_data.h"
#include "system/system_columns.h"

namespace norv::win {

void BuildSensorCollectionList(std::vector<SensorCollectionData>& list, IWbemContext* context);

struct SensorCollectionClass : ServedByColumns<kSensorCollectionColumns> {
    static constexpr ProviderClass kProviderClass =
        ProviderClassNamed("NorvSystemSpecificCollectionProv");

    using Entry = SensorCollectionData;
    using Data = RebuiltList<SensorCollectionData, &BuildSensorCollectionList>;
};

using NorvSystemSpecificCollectionProv = InstanceProvider<SensorCollectionClass>;
extern template class InstanceProvider<SensorCollectionClass>;

}  // namespace norv::win
