// The 16-bit fields of management-log entries and of the log area's header are
// little-endian, as the driver hands them out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace norvwmi {

inline std::uint16_t UInt16At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline void PutUInt16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace norvwmi
