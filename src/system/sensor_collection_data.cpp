#include "system/sensor_collection_data.h"

namespace norv {
namespace {

constexpr std::string_view kCaption = "Sensors";
constexpr std::string_view kElementName = "Sensor Collection";
constexpr std::string_view kDescription = "Sensor Collection";

}  // namespace

SensorCollectionData MakeSensorCollectionData(const ManagementControllerRecord& controller) {
    SensorCollectionData record;
    record.caption = kCaption;
    record.instanceId = controller.instanceId;
    record.elementName = kElementName;
    record.description = kDescription;
    return record;
}

}  // namespace norv
