#include "sensors/sensor_instance_data.h"

namespace norv {

std::uint16_t ToCimSensorType(std::uint32_t sensorType) {
    // The vocabulary holds the one table of CIM sensor types; its values all fit 16 bits.
    return static_cast<std::uint16_t>(CimSensorType(sensorType));
}

std::string SensorDeviceId(const SensorRecord& record) {
    return std::to_string(record.SensorNumber()) + "." + std::to_string(record.OwnerLun()) + "." +
           std::to_string(record.OwnerId());
}

SensorTexts FormSensorTexts(const SensorRecord& record) {
    SensorTexts texts;
    const std::string_view typeText = SensorTypeText(record.SensorType());
    texts.deviceId = SensorDeviceId(record);
    const std::string bracketedId = "(" + texts.deviceId + ")";
    texts.name = record.Name() + bracketedId;
    texts.caption = std::string(typeText) + bracketedId;
    texts.description = texts.name + ":" + std::string(typeText) + " for " +
                        std::string(EntityText(record.EntityId())) + " " +
                        std::to_string(record.EntityInstance());
    return texts;
}

bool BuildSensorList(SensorInstanceList& list, const SensorInventory& inventory) {
    list.Clear();
    const ManagementControllerRecord& controller = TheManagementController();
    for (std::size_t index = 0; index < inventory.Count(); ++index) {
        const SensorRecord& record = inventory.At(index);
        if (record.HasField(kFieldCurrentReading)) continue;  // served as a NumericSensor
        SensorInstanceData entry;
        FormSensorProperties(entry, record, controller);
        list.Append(std::move(entry));
    }
    list.SetBuilt(true);
    return true;
}

}  // namespace norv
