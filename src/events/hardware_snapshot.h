// What the hardware looked like at one tick of the event provider: every entry of the
// management log with the record it became, and the entries of both sensor classes, each as
// the instance providers would show it at that moment.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "eventlog/log_record_data.h"
#include "eventlog/management_log.h"
#include "inventory/health_read.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv {

struct HardwareSnapshot {
    // False when the log could not be read whole: `log` and `records` then say nothing.
    bool logRead = false;
    // False when the sensor cache could not be refreshed: both lists then say nothing.
    bool sensorsRead = false;
    // The reads of the inventory the lists were made from that did not run: the entries made
    // from them say nothing (a class refused or timed out is not sensors that went away).
    HealthReads sensorReadsNotRun;
    std::vector<SeenLogEntry> log;  // every entry read, in log order, oldest first
    std::vector<LogRecordData> records;
    std::vector<SensorInstanceData> sensors;
    std::vector<NumericSensorInstanceData> numericSensors;
};

}  // namespace norv
