// WMI's status codes as HRESULTs (the WBEMSTATUS enumerators are unsigned, so the
// failure codes do not convert to HRESULT silently), and its flags as LONG.
#pragma once

#include <windows.h>

#include <wbemcli.h>

namespace norvwmi {

constexpr HRESULT Wbem(WBEMSTATUS status) {
    return static_cast<HRESULT>(status);
}

// Flags of WMI's several flag enumerations combined.
template <typename... Flag>
constexpr LONG WbemFlags(Flag... flags) {
    return (static_cast<LONG>(flags) | ...);
}

}  // namespace norvwmi
