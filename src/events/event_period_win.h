// The event provider's configuration: the value "PeriodSeconds" (REG_DWORD) of the key
// Software\Norvane\WBEM\NorvHardwareEventProv under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

#include <cstdint>

namespace norv::win {

inline constexpr wchar_t kEventProviderKey[] = L"Software\\Norvane\\WBEM\\NorvHardwareEventProv";
inline constexpr wchar_t kEventPeriodValue[] = L"PeriodSeconds";

// The period in seconds: a missing key or value, or one that is not a four-byte REG_DWORD,
// keeps the default; a DWORD is clamped to 1..3600.
std::uint32_t ReadEventPeriodSeconds();

}  // namespace norv::win
