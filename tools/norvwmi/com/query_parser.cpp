#include "com/query_parser.h"

#include <algorithm>
#include <cstring>
#include <variant>

#include "com/wbem_hresult.h"
#include "com/wide_text.h"
#include "repository/wql_select.h"

namespace norvwmi {

QueryParser::~QueryParser() {
    for (void* memory : handedOut_) ::CoTaskMemFree(memory);
}

HRESULT QueryParser::Empty() {
    std::lock_guard lock(mutex_);
    parsed_.reset();
    return WBEM_S_NO_ERROR;
}

HRESULT QueryParser::SetLanguageFeatures(ULONG, ULONG, ULONG*) {
    return E_NOTIMPL;
}
HRESULT QueryParser::TestLanguageFeatures(ULONG, ULONG*, ULONG*) {
    return E_NOTIMPL;
}
HRESULT QueryParser::GetQueryInfo(ULONG, ULONG, ULONG, LPVOID) {
    return E_NOTIMPL;
}

HRESULT QueryParser::Parse(LPCWSTR language, LPCWSTR query, ULONG flags) try {
    if (!language || !query || flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    if (std::wcscmp(language, L"WQL") != 0 && std::wcscmp(language, L"SQL") != 0) {
        return Wbem(WBEM_E_INVALID_PARAMETER);
    }
    const auto result = ParseWqlSelect(WideToUtf8(query));
    std::lock_guard lock(mutex_);
    parsed_.reset();
    if (const auto* error = std::get_if<WqlError>(&result);
        error && error->kind == WqlError::Kind::Syntax) {
        return Wbem(WBEM_E_INVALID_QUERY);
    }
    parsed_ = query;
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT QueryParser::GetAnalysis(ULONG analysisType, ULONG, LPVOID* analysis) try {
    if (!analysis) return Wbem(WBEM_E_INVALID_PARAMETER);
    *analysis = nullptr;
    std::lock_guard lock(mutex_);
    if (!parsed_) return Wbem(WBEM_E_INVALID_OPERATION);
    if (analysisType == WMIQ_ANALYSIS_RPN_SEQUENCE || analysisType == WMIQ_ANALYSIS_ASSOC_QUERY) {
        return Wbem(WBEM_E_NOT_SUPPORTED);
    }
    if (analysisType != WMIQ_ANALYSIS_QUERY_TEXT) return Wbem(WBEM_E_INVALID_PARAMETER);
    const std::size_t bytes = (parsed_->size() + 1) * sizeof(wchar_t);
    handedOut_.reserve(handedOut_.size() + 1);
    void* text = ::CoTaskMemAlloc(bytes);
    if (!text) return Wbem(WBEM_E_OUT_OF_MEMORY);
    std::memcpy(text, parsed_->c_str(), bytes);
    handedOut_.push_back(text);
    *analysis = text;
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT QueryParser::FreeMemory(LPVOID memory) {
    if (!memory) return WBEM_S_NO_ERROR;
    std::lock_guard lock(mutex_);
    const auto handed = std::find(handedOut_.begin(), handedOut_.end(), memory);
    if (handed == handedOut_.end()) return Wbem(WBEM_E_INVALID_PARAMETER);
    handedOut_.erase(handed);
    ::CoTaskMemFree(memory);
    return WBEM_S_NO_ERROR;
}

}  // namespace norvwmi
