// A WMI class's definition, fetched from the namespace a provider was initialised with.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include "platform/win_resource.h"

namespace norv::win {

// WBEM_E_FAILED when the namespace has no such class (or fails to answer).
HRESULT FetchClassDefinition(IWbemServices* services, const wchar_t* className,
                             IWbemContext* context, ComPtr<IWbemClassObject>& definition);

}  // namespace norv::win
