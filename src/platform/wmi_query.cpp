#include "platform/wmi_query.h"

#include <new>
#include <utility>

#include "platform/text_conversion.h"

namespace norv {
namespace {

// The administrative locator gives the provider its own rights in a namespace, whichever
// client it is serving.
constexpr CLSID kClsidAdministrativeLocator = {
    0xCB8555CC, 0x9128, 0x11D1, {0xAD, 0x9B, 0x00, 0xC0, 0x4F, 0xD8, 0xFD, 0xFF}};

constexpr char kQueryLanguage[] = "WQL";

// A null connection or enumerator: nothing could be asked.
constexpr HRESULT kNoConnection = static_cast<HRESULT>(WBEM_E_FAILED);

constexpr LONG kQueryFlags = WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY;

// A BSTR of the text; an empty text gives null. Throws when the text cannot be allocated.
win::UniqueBstr MakeBstr(const std::string& text) {
    if (text.empty()) return {};
    win::UniqueBstr result = ToBstr(text.c_str(), kUpToTerminator);
    if (!result) throw std::bad_alloc();
    return result;
}

void ClearList(WbemObjectList& results) {
    WbemObjectList().swap(results);  // releases every reference and the storage
}

// Appends the results batch by batch until the enumerator is done (WBEM_S_NO_ERROR), fails
// (its failure code) or times out (WBEM_S_TIMEDOUT).
HRESULT CollectResults(IEnumWbemClassObject* enumerator, LONG batchTimeout,
                       WbemObjectList& results) {
    for (;;) {
        IWbemClassObject* batch[kQueryBatchSize] = {};
        ULONG returned = 0;
        const HRESULT hr = enumerator->Next(batchTimeout, kQueryBatchSize, batch, &returned);
        if (FAILED(hr)) return hr;
        // Owned from here on, whatever happens next.
        win::ComPtr<IWbemClassObject> owned[kQueryBatchSize];
        for (ULONG i = 0; i < kQueryBatchSize && i < returned; ++i) {
            owned[i] = win::ComPtr<IWbemClassObject>::attach(batch[i]);
        }
        if (hr != WBEM_S_NO_ERROR && hr != WBEM_S_FALSE && hr != WBEM_S_TIMEDOUT) continue;
        for (ULONG i = 0; i < kQueryBatchSize && i < returned; ++i) {
            results.push_back(std::move(owned[i]));
        }
        if (hr == WBEM_S_FALSE) return WBEM_S_NO_ERROR;
        if (hr == WBEM_S_TIMEDOUT) return WBEM_S_TIMEDOUT;
    }
}

// What the run came to, as RunWqlQuery tells it; a null connection is a failure.
HRESULT RunQuery(IWbemServices* services, BSTR language, BSTR query, LONG batchTimeout,
                 WbemObjectList& results) {
    if (services == nullptr) return kNoConnection;
    win::ComPtr<IEnumWbemClassObject> enumerator;
    NORV_RETURN_IF_FAILED(
        services->ExecQuery(language, query, kQueryFlags, nullptr, enumerator.put()));
    if (!enumerator) return kNoConnection;
    return CollectResults(enumerator.get(), batchTimeout, results);
}

// ExecWqlQuery's answer: a failure is told as an empty (or shortened) list.
HRESULT NeverFailed(HRESULT status) {
    return FAILED(status) ? static_cast<HRESULT>(WBEM_S_NO_ERROR) : status;
}

LONG BatchTimeout(std::uint32_t milliseconds) {
    return milliseconds == kNoBatchTimeout ? static_cast<LONG>(WBEM_INFINITE)
                                           : static_cast<LONG>(milliseconds);
}

}  // namespace

HRESULT RunWqlQuery(const std::string& nameSpace, const std::string& query,
                    WbemObjectList& results, [[maybe_unused]] IWbemContext* context) {
    ClearList(results);
    const win::UniqueBstr language = MakeBstr(kQueryLanguage);
    const win::UniqueBstr namespaceText = MakeBstr(nameSpace);
    const win::UniqueBstr queryText = MakeBstr(query);

    win::ComPtr<IWbemServices> services;
    {
        win::ComPtr<IWbemLocator> locator;
        NORV_RETURN_IF_FAILED(CoCreateInstance(kClsidAdministrativeLocator, nullptr,
                                               CLSCTX_INPROC_SERVER, __uuidof(IWbemLocator),
                                               locator.put_void()));
        NORV_RETURN_IF_FAILED(locator->ConnectServer(namespaceText.get(), nullptr, nullptr,
                                                     nullptr, 0, nullptr, nullptr,
                                                     services.put()));
    }
    return RunQuery(services.get(), language.get(), queryText.get(),
                    BatchTimeout(kQueryBatchTimeoutMs), results);
}

HRESULT ExecWqlQuery(const std::string& nameSpace, const std::string& query,
                     WbemObjectList& results, IWbemContext* context) {
    return NeverFailed(RunWqlQuery(nameSpace, query, results, context));
}

HRESULT ExecWqlQuery(const win::ComPtr<IWbemServices>& services, const std::string& query,
                     WbemObjectList& results, std::uint32_t batchTimeoutMs) {
    ClearList(results);
    const win::UniqueBstr language = MakeBstr(kQueryLanguage);
    const win::UniqueBstr queryText = MakeBstr(query);
    return NeverFailed(RunQuery(services.get(), language.get(), queryText.get(),
                                BatchTimeout(batchTimeoutMs), results));
}

}  // namespace norv
