// An instance provider as a provider's author writes one: three instances of InstProvSamp,
// enumerated and got by key, no query support of its own. It impersonates the client for
// each request and, as many providers do, leaves reverting to COM at the end of the call.
#include <cwchar>

#include "sample_server.h"

namespace {

// {5B7A1C44-3E0D-4C8B-9E8A-6C1F20A4D511}
const CLSID kClsid = {0x5b7a1c44, 0x3e0d, 0x4c8b, {0x9e, 0x8a, 0x6c, 0x1f, 0x20, 0xa4, 0xd5, 0x11}};

struct Row {
    const wchar_t* key;
    long value;
};
constexpr Row kRows[] = {{L"a", 1}, {L"b", 2}, {L"c", 3}};

class InstanceProvider : public sample::ProviderBase {
public:
    STDMETHODIMP CreateInstanceEnumAsync(const BSTR className, LONG, IWbemContext* context,
                                         IWbemObjectSink* sink) override {
        if (!sink) return sample::Failure(WBEM_E_INVALID_PARAMETER);
        CoImpersonateClient();
        HRESULT hr = WBEM_S_NO_ERROR;
        for (const Row& row : kRows) {
            IWbemClassObject* instance = nullptr;
            hr = Make(className, context, row, &instance);
            if (FAILED(hr)) break;
            sample::Deliver(sink, instance);
        }
        sink->SetStatus(WBEM_STATUS_COMPLETE, hr, nullptr, nullptr);
        return WBEM_S_NO_ERROR;
    }

    // InstProvSamp.MyKey="b"
    STDMETHODIMP GetObjectAsync(const BSTR path, LONG, IWbemContext* context,
                                IWbemObjectSink* sink) override {
        if (!path || !sink) return sample::Failure(WBEM_E_INVALID_PARAMETER);
        CoImpersonateClient();
        const wchar_t* open = std::wcschr(path, L'"');
        const wchar_t* close = open ? std::wcschr(open + 1, L'"') : nullptr;
        HRESULT hr = sample::Failure(WBEM_E_INVALID_OBJECT_PATH);
        if (close) {
            hr = sample::Failure(WBEM_E_NOT_FOUND);
            const size_t length = static_cast<size_t>(close - open - 1);
            for (const Row& row : kRows) {
                if (std::wcslen(row.key) != length || std::wcsncmp(row.key, open + 1, length) != 0)
                    continue;
                IWbemClassObject* instance = nullptr;
                hr = Make(L"InstProvSamp", context, row, &instance);
                if (SUCCEEDED(hr)) sample::Deliver(sink, instance);
            }
        }
        sink->SetStatus(WBEM_STATUS_COMPLETE, hr, nullptr, nullptr);
        return WBEM_S_NO_ERROR;
    }

private:
    HRESULT Make(const wchar_t* className, IWbemContext* context, const Row& row,
                 IWbemClassObject** instance) {
        IWbemClassObject* definition = nullptr;
        HRESULT hr = sample::GetClass(nameSpace_, className, context, &definition);
        if (FAILED(hr)) return hr;
        hr = definition->SpawnInstance(0, instance);
        definition->Release();
        if (FAILED(hr)) return hr;
        sample::Variant key(row.key);
        sample::Variant value(row.value);
        hr = (*instance)->Put(L"MyKey", 0, &key.value, 0);
        if (SUCCEEDED(hr)) hr = (*instance)->Put(L"MyValue", 0, &value.value, 0);
        if (FAILED(hr)) {
            (*instance)->Release();
            *instance = nullptr;
        }
        return hr;
    }
};

}  // namespace

SAMPLE_PROVIDER_MODULE(InstanceProvider, kClsid)
