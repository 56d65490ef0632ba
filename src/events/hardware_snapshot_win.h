// A snapshot of the hardware taken through one CacheSnapshot of both process-wide caches, as
// the LogRecord, Sensor and NumericSensor providers show them. The caller holds its
// provider's own lock first.
#pragma once

#include "events/hardware_snapshot.h"

namespace norv::win {

HardwareSnapshot TakeHardwareSnapshot();

}  // namespace norv::win
