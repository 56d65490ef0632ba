// The whole inventory build: every builder in a fixed order, with sensor numbers handed out
// in blocks that start at multiples of ten.
#pragma once

#include <cstdint>

#include "inventory/sensor_inventory.h"
#include "platform/health_data_source.h"
#include "platform/processor_info_source.h"

namespace norv {

// The start of the next block: the next multiple of ten above counter, in 8 bits, so 13 and
// 19 give 20, 20 gives 30, and 250 and above wrap round to 4.
std::uint8_t NextMultipleOfTen(std::uint8_t counter);

// Empties the inventory and runs all builders. Processors are numbered from 1, temperatures
// from 10, then fans, power, and the recovery timer with the identification light each take
// a block; the firmware sensors start again at 1 (they have other owners), followed by a
// block for the memory subsystem with its cartridges and one for the DIMMs. A builder that
// fails has taken its own records back and does not stop the build: the inventory is valid
// at the end, and the result is that flag. Each record is marked with the read it was made
// from, and the inventory keeps which reads did not run (HealthDataSource::QueriesNotRun).
bool BuildInventory(SensorInventory& inventory, HealthDataSource& health,
                    ProcessorInfoSource& processors);

}  // namespace norv
