#include "sensors/sensor_instance_fill.h"

namespace norv::win {
namespace {

using Entry = SensorInstanceData;

HRESULT PutSensorClassName(const WbemObject& instance, const wchar_t* property, const Entry&) {
    return PutWideStringProperty(instance, property, L"Sensor");
}

constexpr auto kSensorPuts = SensorPropertyPuts<Entry>(&PutSensorClassName);

}  // namespace

HRESULT FillSensorInstance(const SensorInstanceData& entry, const WbemObject& instance) {
    return PutInOrder<Entry>(instance, entry, kSensorPuts);
}

}  // namespace norv::win
