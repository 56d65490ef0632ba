// Writes a sensor entry onto a spawned instance: the properties both sensor classes share,
// in their fixed order, each optional one only when its bit is set. The first put that fails
// ends the fill with WBEM_E_FAILED; the properties after it are not put.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <cstdint>
#include <span>

#include "host/wbem_status.h"
#include "platform/wmi_property.h"
#include "sensors/sensor_instance_data.h"

namespace norv::win {

// One row of a fill table: the property, the fieldMask bit it needs (kAlways: none) and how
// the entry's value is put.
template <typename Entry>
struct PropertyPut {
    const wchar_t* property;
    std::uint32_t bit;
    HRESULT (*put)(const WbemObject& instance, const wchar_t* property, const Entry& entry);
};

inline constexpr std::uint32_t kAlways = 0;

template <typename Entry>
HRESULT PutInOrder(const WbemObject& instance, const Entry& entry,
                   std::span<const PropertyPut<Entry>> table) {
    for (const PropertyPut<Entry>& row : table) {
        if (row.bit != kAlways && !entry.Has(row.bit)) continue;
        if (FAILED(row.put(instance, row.property, entry))) return kWbemFailed;
    }
    return kWbemNoError;
}

// The putters of the rows, one per kind of member. Every integer goes out as VT_I4; a
// signed value travels as its 32 bits.
template <typename Entry, auto Member>
HRESULT PutText(const WbemObject& instance, const wchar_t* property, const Entry& entry) {
    return PutStringProperty(instance, property, entry.*Member);
}
template <typename Entry, auto Member>
HRESULT PutTexts(const WbemObject& instance, const wchar_t* property, const Entry& entry) {
    return PutStringArrayProperty(instance, property, entry.*Member);
}
template <typename Entry, auto Member>
HRESULT PutUInt16(const WbemObject& instance, const wchar_t* property, const Entry& entry) {
    return PutUInt16Property(instance, property, entry.*Member);
}
template <typename Entry, auto Member>
HRESULT PutUInt32(const WbemObject& instance, const wchar_t* property, const Entry& entry) {
    return PutUInt32Property(instance, property, entry.*Member);
}
template <typename Entry, auto Member>
HRESULT PutInt32(const WbemObject& instance, const wchar_t* property, const Entry& entry) {
    return PutUInt32Property(instance, property, static_cast<std::uint32_t>(entry.*Member));
}
template <typename Entry, auto Member>
HRESULT PutBool(const WbemObject& instance, const wchar_t* property, const Entry& entry) {
    return PutBoolProperty(instance, property, entry.*Member ? 1 : 0);
}

// The shared part of a fill table: CreationClassName (put by putClassName), the seven
// texts, then SensorType, OtherSensorTypeDescription, PossibleStates and CurrentState.
template <typename Entry>
constexpr std::array<PropertyPut<Entry>, 12> SensorPropertyPuts(
    HRESULT (*putClassName)(const WbemObject&, const wchar_t*, const Entry&)) {
    return {{
        {L"CreationClassName", kAlways, putClassName},
        {L"Name", kAlways, PutText<Entry, &Entry::name>},
        {L"Caption", kAlways, PutText<Entry, &Entry::caption>},
        {L"ElementName", kAlways, PutText<Entry, &Entry::elementName>},
        {L"Description", kAlways, PutText<Entry, &Entry::description>},
        {L"DeviceID", kAlways, PutText<Entry, &Entry::deviceId>},
        {L"SystemCreationClassName", kAlways, PutText<Entry, &Entry::systemCreationClassName>},
        {L"SystemName", kAlways, PutText<Entry, &Entry::systemName>},
        {L"SensorType", Entry::kSensorTypeBit, PutUInt16<Entry, &Entry::sensorType>},
        {L"OtherSensorTypeDescription", Entry::kOtherSensorTypeDescriptionBit,
         PutText<Entry, &Entry::otherSensorTypeDescription>},
        {L"PossibleStates", Entry::kPossibleStatesBit, PutTexts<Entry, &Entry::possibleStates>},
        {L"CurrentState", Entry::kCurrentStateBit, PutText<Entry, &Entry::currentState>},
    }};
}

// "Sensor": CreationClassName, Name, Caption, ElementName, Description, DeviceID,
// SystemCreationClassName, SystemName, then SensorType, OtherSensorTypeDescription,
// PossibleStates and CurrentState when marked. WBEM_S_NO_ERROR or WBEM_E_FAILED.
HRESULT FillSensorInstance(const SensorInstanceData& entry, const WbemObject& instance);

}  // namespace norv::win
