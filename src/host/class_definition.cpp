#include "host/class_definition.h"

#include <utility>

#include "host/wbem_status.h"

namespace norv::win {

HRESULT FetchClassDefinition(IWbemServices* services, const wchar_t* className,
                             IWbemContext* context, ComPtr<IWbemClassObject>& definition) {
    const UniqueBstr name(::SysAllocString(className));
    if (!name) return E_OUTOFMEMORY;
    ComPtr<IWbemClassObject> fetched;
    if (FAILED(services->GetObject(name.get(), 0, context, fetched.put(), nullptr)) || !fetched) {
        return kWbemFailed;
    }
    definition = std::move(fetched);
    return kWbemNoError;
}

}  // namespace norv::win
