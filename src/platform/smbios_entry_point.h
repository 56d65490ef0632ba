// The SMBIOS 2.x entry point that the firmware leaves in the BIOS segment: finding it in a
// copy of physical memory 0xF0000..0xFFFFF and reading where the structure table lies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace norv {

// The physical range that is copied and scanned.
inline constexpr std::uint32_t kSmbiosScanAddress = 0xF0000;
inline constexpr std::size_t kSmbiosScanLength = 0x10000;

inline constexpr std::string_view kSmbiosAnchor = "_SM_";
inline constexpr std::size_t kSmbiosAnchorAlignment = 16;

inline constexpr std::size_t kEntryPointLengthOffset = 0x05;
inline constexpr std::size_t kMajorVersionOffset = 0x06;
inline constexpr std::size_t kMinorVersionOffset = 0x07;
inline constexpr std::size_t kTableLengthOffset = 0x16;   // 16-bit
inline constexpr std::size_t kTableAddressOffset = 0x18;  // 32-bit physical address
// An entry point must hold the fields read from it; a shorter one (a stray anchor whose
// length byte is 0 passes the checksum trivially) is not taken.
inline constexpr std::size_t kMinimumEntryPointLength = kTableAddressOffset + 4;
inline constexpr std::uint16_t kMinimumSmbiosVersion = 0x0201;  // 2.1
inline constexpr std::size_t kEntryPointCopyLength = 31;

struct SmbiosEntryPoint {
    std::size_t offset = 0;  // of the anchor in the scanned image
    std::array<std::uint8_t, kEntryPointCopyLength> bytes{};

    std::uint16_t Version() const;  // major x 256 + minor
    std::uint16_t TableLength() const;
    std::uint32_t TableAddress() const;
};

// The first candidate at a 16-byte boundary of image that carries the anchor, whose
// entry-point length is at least kMinimumEntryPointLength and lies within the image, whose
// bytes over that length sum to 0 (8-bit) and whose version is 2.1 or later. Bytes of the
// 31-byte copy beyond the image are 0. Nothing when there is none.
std::optional<SmbiosEntryPoint> FindSmbiosEntryPoint(std::span<const std::uint8_t> image);

}  // namespace norv
