// WQL queries on the local machine, run with the provider's own rights in the namespace.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_resource.h"

namespace norv {

// The result objects of a query, in the order the enumerator handed them out.
using WbemObjectList = std::vector<win::ComPtr<IWbemClassObject>>;

// The time-out of one batch of results when the namespace is connected anew.
inline constexpr std::uint32_t kQueryBatchTimeoutMs = 10000;
// The number of objects asked for in one batch.
inline constexpr ULONG kQueryBatchSize = 10;
// A batch time-out that stands for waiting as long as it takes.
inline constexpr std::uint32_t kNoBatchTimeout = 0;

// Connects to the namespace (for example "root\wmi") through the administrative locator and
// runs the query there. The list is cleared first and receives every result object.
// Returns WBEM_S_NO_ERROR when the enumeration ran to its end, and also when no connection or
// no query could be made (the list is then empty); WBEM_S_TIMEDOUT when a batch took longer
// than kQueryBatchTimeoutMs (the list holds what arrived). Never a failure code: callers look
// at the size of the list. The caller's request context is not passed on. Throws
// std::bad_alloc when memory runs out.
HRESULT ExecWqlQuery(const std::string& nameSpace, const std::string& query,
                     WbemObjectList& results, IWbemContext* context);

// ExecWqlQuery as it happened: the connection's or the query's failure code when either could
// not be made (the list is then empty), the enumerator's when it failed midway (the list holds
// what arrived), WBEM_S_TIMEDOUT, or WBEM_S_NO_ERROR when the enumeration ran to its end.
// For a caller that must tell a refused or slow platform from one that has no objects.
HRESULT RunWqlQuery(const std::string& nameSpace, const std::string& query,
                    WbemObjectList& results, IWbemContext* context);

// The same on a namespace already connected, with the time-out of one batch in milliseconds
// (kNoBatchTimeout for none). A null connection gives WBEM_S_NO_ERROR and an empty list.
HRESULT ExecWqlQuery(const win::ComPtr<IWbemServices>& services, const std::string& query,
                     WbemObjectList& results, std::uint32_t batchTimeoutMs);

}  // namespace norv
