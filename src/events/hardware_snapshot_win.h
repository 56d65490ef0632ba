// A snapshot of the hardware taken through the process-wide caches, exactly as the LogRecord,
// Sensor and NumericSensor providers read them: the event-log lock, then the sensor lock,
// each cache refreshed under its lock. The caller holds its provider's own lock first.
#pragma once

#include "events/hardware_snapshot.h"

namespace norv::win {

HardwareSnapshot TakeHardwareSnapshot();

}  // namespace norv::win
