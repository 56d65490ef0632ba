// WMI status codes by name, for messages a person reads: "WBEM_E_INVALID_CLASS
// (0x80041010)". The table holds every WBEM_S_ and WBEM_E_ code of wbemcli.h and the COM
// and Win32 codes a provider call or a module load can end with.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace norvwmi {

struct StatusName {
    std::uint32_t code;
    std::string_view name;
};

// Ordered by code, each code once.
std::span<const StatusName> StatusNames();

// The name of a code; empty when the table has none.
std::string_view NameOfStatus(std::uint32_t code);

// "0x80041010": eight upper-case hexadecimal digits.
std::string StatusHex(std::uint32_t code);

// "WBEM_E_INVALID_CLASS (0x80041010)", or the number alone for a code without a name.
std::string DescribeStatus(std::uint32_t code);

}  // namespace norvwmi
