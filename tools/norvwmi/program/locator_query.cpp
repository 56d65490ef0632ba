#include "program/locator_query.h"

#include "com/admin_locator.h"
#include "com/wide_text.h"

namespace norvwmi {

LocatorQueryOutcome RunLocatorQuery(const std::string& nameSpace, const std::string& query,
                                    LONG batchTimeoutMs) try {
    LocatorQueryOutcome outcome;
    norv::win::ComPtr<IWbemLocator> locator;
    outcome.step = "CoCreateInstance of the administrative locator";
    outcome.status = ::CoCreateInstance(kAdministrativeLocatorClsid, nullptr, CLSCTX_INPROC_SERVER,
                                        __uuidof(IWbemLocator), locator.put_void());
    if (FAILED(outcome.status)) return outcome;

    norv::win::ComPtr<IWbemServices> services;
    outcome.step = "ConnectServer";
    outcome.status = locator->ConnectServer(MakeBstr(nameSpace).get(), nullptr, nullptr, nullptr, 0,
                                            nullptr, nullptr, services.put());
    if (FAILED(outcome.status)) return outcome;

    norv::win::ComPtr<IEnumWbemClassObject> results;
    outcome.step = "ExecQuery";
    outcome.status = services->ExecQuery(MakeBstr("WQL").get(), MakeBstr(query).get(),
                                         WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
                                         nullptr, results.put());
    if (FAILED(outcome.status)) return outcome;

    outcome.step = "IEnumWbemClassObject::Next";
    for (;;) {
        IWbemClassObject* batch[kQueryBatchSize] = {};
        ULONG returned = 0;
        const HRESULT hr = results->Next(batchTimeoutMs, kQueryBatchSize, batch, &returned);
        for (ULONG i = 0; i < returned && i < kQueryBatchSize; ++i)
            outcome.objects.push_back(norv::win::ComPtr<IWbemClassObject>::attach(batch[i]));
        if (hr == WBEM_S_NO_ERROR) continue;
        outcome.status = hr == WBEM_S_FALSE ? static_cast<HRESULT>(WBEM_S_NO_ERROR) : hr;
        return outcome;
    }
} catch (const std::bad_alloc&) {
    return LocatorQueryOutcome{E_OUTOFMEMORY, "the host", {}};
}

}  // namespace norvwmi
