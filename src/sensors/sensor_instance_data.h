// The property values of the "Sensor" instances, one entry per discrete sensor of the
// inventory, and what they share with the "NumericSensor" entries: identity, texts, sensor
// type and states are formed alike for both classes; only the fieldMask bits differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/provider_class_identity.h"
#include "inventory/controller_record.h"
#include "inventory/health_read.h"
#include "inventory/sensor_inventory.h"
#include "inventory/sensor_record.h"
#include "inventory/vocabulary.h"

namespace norv {

// The CIM sensor type that needs OtherSensorTypeDescription.
inline constexpr std::uint16_t kCimSensorTypeOther = 1;

// The CIM SensorType value of an IPMI sensor type: the four numeric types have their own,
// every other type is kCimSensorTypeOther.
std::uint16_t ToCimSensorType(std::uint32_t sensorType);

// "%u.%u.%u" of sensor number, owner LUN and owner id: the key of a sensor.
std::string SensorDeviceId(const SensorRecord& record);

// The properties both sensor classes carry. Bits names the fieldMask bit of each optional
// property (kSensorTypeBit, kOtherSensorTypeDescriptionBit, kPossibleStatesBit,
// kCurrentStateBit); the other properties are always written and carry no bit.
template <typename Bits>
struct SensorProperties : Bits {
    std::uint32_t fieldMask = 0;
    // Entries whose record is not present are kept but never shown to a client.
    std::uint8_t present = 0;
    std::string name;
    std::string elementName;
    std::string caption;
    std::string description;
    std::string deviceId;
    std::string systemCreationClassName;
    std::string systemName;
    // Meaningful only once marked.
    std::uint16_t sensorType = 0;
    std::string otherSensorTypeDescription;
    std::vector<std::string> possibleStates;
    std::string currentState;
    // The read of the inventory build the entry's record was made from; not a property.
    HealthRead readFrom = HealthRead::Processors;

    void SetSensorType(std::uint16_t value) {
        sensorType = value;
        fieldMask |= Bits::kSensorTypeBit;
    }
    void SetOtherSensorTypeDescription(std::string value) {
        otherSensorTypeDescription = std::move(value);
        fieldMask |= Bits::kOtherSensorTypeDescriptionBit;
    }
    void SetPossibleStates(std::vector<std::string> value) {
        possibleStates = std::move(value);
        fieldMask |= Bits::kPossibleStatesBit;
    }
    void SetCurrentState(std::string value) {
        currentState = std::move(value);
        fieldMask |= Bits::kCurrentStateBit;
    }

    bool Has(std::uint32_t bit) const { return (fieldMask & bit) != 0; }
};

struct SensorInstanceBits {
    static constexpr std::uint32_t kSensorTypeBit = 0x08;
    static constexpr std::uint32_t kOtherSensorTypeDescriptionBit = 0x10;
    static constexpr std::uint32_t kPossibleStatesBit = 0x20;
    static constexpr std::uint32_t kCurrentStateBit = 0x40;
};

struct SensorInstanceData : SensorProperties<SensorInstanceBits> {};

// The texts a sensor's properties are made of.
struct SensorTexts {
    std::string deviceId;
    // The element name followed by "(", the device id and ")".
    std::string name;
    // The sensor-type text followed by "(", the device id and ")".
    std::string caption;
    // name, ":", the sensor-type text, " for ", the entity text, a blank, the entity instance.
    std::string description;
};

SensorTexts FormSensorTexts(const SensorRecord& record);

// Sets every property both classes share from the record, marking the optional ones with
// the entry's own bits; PossibleStates is marked even when the list is empty.
template <typename Bits>
void FormSensorProperties(SensorProperties<Bits>& entry, const SensorRecord& record,
                          const ManagementControllerRecord& controller) {
    SensorTexts texts = FormSensorTexts(record);
    entry.present = record.Present();
    entry.readFrom = record.ReadFrom();
    entry.systemCreationClassName = IdentityOf("NorvComputerSystemProv").servedClass;
    entry.systemName = controller.name;
    entry.SetPossibleStates(PossibleStates(record.EventReadingType(), record.SensorType()));
    entry.SetCurrentState(
        StateText(record.EventReadingType(), record.SensorType(), record.CurrentState()));
    entry.deviceId = std::move(texts.deviceId);
    entry.name = std::move(texts.name);
    entry.elementName = entry.name;
    entry.caption = std::move(texts.caption);
    entry.description = std::move(texts.description);
    const std::uint16_t cimType = ToCimSensorType(record.SensorType());
    entry.SetSensorType(cimType);
    if (cimType == kCimSensorTypeOther) {
        entry.SetOtherSensorTypeDescription(std::string(SensorTypeText(record.SensorType())));
    }
}

// The entries of one sensor class in inventory order, and whether the list is complete.
template <typename Entry>
class SensorEntryList {
public:
    // Empties the list and marks it incomplete until the next build ends.
    void Clear() {
        entries.clear();
        built = false;
    }
    void Append(Entry entry) { entries.push_back(std::move(entry)); }

    std::size_t Count() const { return entries.size(); }
    // index < Count()
    const Entry& At(std::size_t index) const { return entries[index]; }
    std::span<const Entry> Entries() const { return entries; }

    bool Built() const { return built; }
    void SetBuilt(bool value) { built = value; }

private:
    std::vector<Entry> entries;
    bool built = false;
};

using SensorInstanceList = SensorEntryList<SensorInstanceData>;

// Rebuilds the list with one entry per record without a current reading (those are numeric
// sensors), records that are not present included. Always ends built and returns true.
bool BuildSensorList(SensorInstanceList& list, const SensorInventory& inventory);

}  // namespace norv
