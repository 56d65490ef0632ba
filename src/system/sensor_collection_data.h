// The one "SystemSpecificCollection" instance, the collection that stands for the sensors of
// the management controller: fixed texts and the controller's instance id.
#pragma once

#include <string>

#include "inventory/controller_record.h"

namespace norv {

// Every field is always written; there is no presence mask.
struct SensorCollectionData {
    std::string instanceId;
    std::string elementName;
    std::string caption;
    std::string description;
};

SensorCollectionData MakeSensorCollectionData(const ManagementControllerRecord& controller);

}  // namespace norv
