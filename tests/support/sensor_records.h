// Sensor records as the builders make them, shared by the core's and the providers' tests.
#pragma once

#include "inventory/sensor_record.h"
#include "inventory/vocabulary.h"

namespace norv::test {

// A temperature as the environmental builder makes it: TEMPERATURE 3, 45.0 degrees C with one
// upper critical threshold at 80.0, entity 7 instance 1, owner 0 LUN 0, present and ok.
inline SensorRecord TemperatureRecord(std::uint32_t sensorNumber) {
    SensorRecord record;
    record.SetPresent(1);
    record.SetName(SensorKind::Temperature, 3, kNoNumber, kNoNumber);
    record.SetOwnerId(0);
    record.SetOwnerLun(0);
    record.SetSensorNumber(sensorNumber);
    record.SetSensorType(kSensorTypeTemperature);
    record.SetEventReadingType(kReadingThreshold);
    record.SetEntityId(0x07);
    record.SetEntityInstance(1);
    record.SetCurrentState(kStateOk);
    record.SetCurrentReading(450);
    record.SetUnitModifier(-1);
    record.SetBaseUnits(2);
    record.SetRateUnits(0);
    record.SetUpperCritical(800);
    record.SetNominalReading(500);
    record.SetNormalMin(60);
    record.SetNormalMax(1000);
    record.SetMinReadable(0);
    record.SetMaxReadable(1270);
    return record;
}

}  // namespace norv::test
