// The events of a full management log, made in code from events that map to sensors of the
// default platform's inventory: the core's log benchmarks lay them out as an area, and the
// Windows timers serve them as the default description with a full 32768-byte log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "simulated_driver/platform_loading.h"
#include "simulated_driver/management_log_assembly.h"

namespace norv::bench {

// The index-th event of the cycle over every event class, numbered firstSequence + index,
// one every 47 minutes from the start of 2014.
norvwmi::LogEvent MappedLogEvent(std::size_t index, std::uint16_t firstSequence = 1);

// The host's default description with a 32768-byte log area and as many events added after
// its own as fill it; what failed otherwise.
std::variant<norvwmi::MofFile, std::string> FullLogDescription();

}  // namespace norv::bench
