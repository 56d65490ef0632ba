// The reads of the platform an inventory build is made of, one per builder in build order,
// and the set of those that did not run. A read that did not run (its class refused, its
// query or connection failed, its enumeration timed out) gave its builder no objects or only
// some: its sensors are missing from that build, not gone from the platform.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

namespace norv {

enum class HealthRead : std::uint8_t {
    Processors,
    Temperatures,
    FanGroups,
    Fans,
    PowerGroups,
    PowerSupplies,
    Asr,
    UidLights,
    Firmware,
    MemorySubsystem,
    MemoryBoards,
    Dimms,
};

inline constexpr std::size_t kHealthReadCount = 12;

// Indexed by HealthRead.
using HealthReads = std::bitset<kHealthReadCount>;

inline constexpr std::size_t IndexOf(HealthRead read) {
    return static_cast<std::size_t>(read);
}

}  // namespace norv
