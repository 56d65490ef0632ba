// The WMI query parser as the host serves it under Windows' class
// {EAC8A024-21E2-4523-AD73-A71A0AA2F56A}, which Wine does not register. The provider only
// creates it; what it answers is the documented minimum:
// - Parse accepts the languages "WQL" and "SQL" (exactly so written) and flags 0, else
//   WBEM_E_INVALID_PARAMETER; a text that is not a WQL SELECT statement gives
//   WBEM_E_INVALID_QUERY. Valid WQL the host does not evaluate (WHERE, ASSOCIATORS OF...)
//   parses.
// - GetAnalysis hands out WMIQ_ANALYSIS_QUERY_TEXT (the parsed text, released with
//   FreeMemory); the RPN and association analyses give WBEM_E_NOT_SUPPORTED, other kinds
//   WBEM_E_INVALID_PARAMETER, and before a successful Parse WBEM_E_INVALID_OPERATION.
// - SetLanguageFeatures, TestLanguageFeatures and GetQueryInfo answer E_NOTIMPL, as Windows'
//   own parser documents.
#pragma once

#include <unknwn.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "com/host_com_object.h"
#include "com/utility_parser_ids.h"

namespace norvwmi {

class QueryParser final : public ComObject<QueryParser, IWbemQuery> {
public:
    QueryParser() = default;
    ~QueryParser() override;

    HRESULT STDMETHODCALLTYPE Empty() override;
    HRESULT STDMETHODCALLTYPE SetLanguageFeatures(ULONG flags, ULONG count,
                                                  ULONG* features) override;
    HRESULT STDMETHODCALLTYPE TestLanguageFeatures(ULONG flags, ULONG* count,
                                                   ULONG* features) override;
    HRESULT STDMETHODCALLTYPE Parse(LPCWSTR language, LPCWSTR query, ULONG flags) override;
    HRESULT STDMETHODCALLTYPE GetAnalysis(ULONG analysisType, ULONG flags,
                                          LPVOID* analysis) override;
    HRESULT STDMETHODCALLTYPE FreeMemory(LPVOID memory) override;
    HRESULT STDMETHODCALLTYPE GetQueryInfo(ULONG analysisType, ULONG infoId, ULONG size,
                                           LPVOID buffer) override;

private:
    std::mutex mutex_;
    std::optional<std::wstring> parsed_;
    std::vector<void*> handedOut_;  // analyses not yet given back through FreeMemory
};

}  // namespace norvwmi
