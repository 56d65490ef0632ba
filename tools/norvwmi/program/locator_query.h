// A WQL query run the way the provider runs its own: the administrative locator created
// by its class id in this process, ConnectServer to the namespace, a semisynchronous
// forward-only ExecQuery, and the results collected batch by batch through Next with a
// time-out. This is how people and tests see what the stand-in health driver serves.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <string>
#include <vector>

#include "platform/win_resource.h"

namespace norvwmi {

// Objects asked for by one Next, and how long one batch may take (the provider's own).
inline constexpr ULONG kQueryBatchSize = 10;
inline constexpr LONG kQueryBatchTimeoutMs = 10000;

struct LocatorQueryOutcome {
    // WBEM_S_NO_ERROR when the results ran to their end; WBEM_S_TIMEDOUT when a batch
    // took too long (the objects are those that came); else the failure of `step`.
    HRESULT status = WBEM_S_NO_ERROR;
    std::string step;
    std::vector<norv::win::ComPtr<IWbemClassObject>> objects;
};

LocatorQueryOutcome RunLocatorQuery(const std::string& nameSpace, const std::string& query,
                                    LONG batchTimeoutMs = kQueryBatchTimeoutMs);

}  // namespace norvwmi
