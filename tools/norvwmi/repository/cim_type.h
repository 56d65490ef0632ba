// CIM types of the class repository, numbered as WMI's CIMTYPE_ENUMERATION so
// the COM layer can hand them out unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace norvwmi {

enum class CimType : std::uint16_t {
    SInt8 = 16,
    UInt8 = 17,
    SInt16 = 2,
    UInt16 = 18,
    SInt32 = 3,
    UInt32 = 19,
    SInt64 = 20,
    UInt64 = 21,
    Real32 = 4,
    Real64 = 5,
    Boolean = 11,
    String = 8,
    DateTime = 101,
    Reference = 102,
    Char16 = 103,
    Object = 13,
};

// CIM_FLAG_ARRAY: ORed into the CIMTYPE of an array property.
inline constexpr std::uint16_t kCimFlagArray = 0x2000;

// The MOF keyword of a type ("uint16", "datetime", ...), and back.
std::string_view CimTypeName(CimType type);
std::optional<CimType> CimTypeFromName(std::string_view mofKeyword);

}  // namespace norvwmi
