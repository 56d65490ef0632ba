// The two instance lists made from one build of the inventory, kept together with the reads
// of that build that did not run: one value, made whole and never changed after, which the
// sensor cache replaces on each rebuild and readers share.
#pragma once

#include "inventory/health_read.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv {

struct SensorLists {
    SensorInstanceList sensors;
    NumericSensorInstanceList numericSensors;
    // The entries made from these reads say nothing (a class refused or timed out is not
    // sensors that went away).
    HealthReads readsNotRun;
};

}  // namespace norv
