// The WMI status codes the providers answer with, as HRESULTs: the WBEMSTATUS enumerators
// are unsigned, so the failure codes do not convert to HRESULT silently.
#pragma once

#include <windows.h>

#include <wbemcli.h>

namespace norv::win {

inline constexpr HRESULT kWbemNoError = WBEM_S_NO_ERROR;
inline constexpr HRESULT kWbemFailed = static_cast<HRESULT>(WBEM_E_FAILED);
inline constexpr HRESULT kWbemNotFound = static_cast<HRESULT>(WBEM_E_NOT_FOUND);
inline constexpr HRESULT kWbemAccessDenied = static_cast<HRESULT>(WBEM_E_ACCESS_DENIED);
inline constexpr HRESULT kWbemOutOfMemory = static_cast<HRESULT>(WBEM_E_OUT_OF_MEMORY);
inline constexpr HRESULT kWbemInvalidParameter = static_cast<HRESULT>(WBEM_E_INVALID_PARAMETER);
inline constexpr HRESULT kWbemInvalidClass = static_cast<HRESULT>(WBEM_E_INVALID_CLASS);
inline constexpr HRESULT kWbemNotSupported = static_cast<HRESULT>(WBEM_E_NOT_SUPPORTED);
inline constexpr HRESULT kWbemProviderNotCapable =
    static_cast<HRESULT>(WBEM_E_PROVIDER_NOT_CAPABLE);

// WBEM_STATUS_COMPLETE, the flag of a request's final SetStatus.
inline constexpr LONG kWbemStatusComplete = WBEM_STATUS_COMPLETE;

}  // namespace norv::win
