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

namespace norv::win {

void BuildSensorCollectionList(std::vector<SensorCollectionData>& list, IWbemContext* context);

// Writes InstanceID, Caption, ElementName and Description in that order; WBEM_E_FAILED at
// the first put that fails. The class has no CreationClassName.
HRESULT FillSensorCollectionInstance(const SensorCollectionData& record,
                                     const WbemObject& instance);

struct SensorCollectionClass {
    static constexpr ProviderClass kProviderClass = ProviderClass::SystemSpecificCollection;
    enum Key : std::size_t { kInstanceIdKey };
    static constexpr std::array<const wchar_t*, 1> kKeyNames{L"InstanceID"};

    using Entry = SensorCollectionData;
    using Data = RebuiltList<SensorCollectionData, &BuildSensorCollectionList>;

    static bool Matches(const Entry& record, const PathKeyValues<1>& wanted) {
        return MatchesSensorCollectionKey(record, wanted[kInstanceIdKey]);
    }
    static HRESULT Fill(const Entry& record, const WbemObject& instance) {
        return FillSensorCollectionInstance(record, instance);
    }
};

using NorvSystemSpecificCollectionProv = InstanceProvider<SensorCollectionClass>;
extern template class InstanceProvider<SensorCollectionClass>;

}  // namespace norv::win
