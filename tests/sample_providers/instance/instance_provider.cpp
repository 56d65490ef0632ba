// An instance and method provider as a provider's author writes one: three instances of
// InstProvSamp, enumerated and got by key, no query support of its own; it impersonates the
// client for each such request and, as many providers do, leaves reverting to COM at the end
// of the call. MethProvSamp.Echo hands back its text in-parameter Count times, as it came (the
// MOF gives the text a default) and never looks at an in-parameter that is not there.
#include <cwchar>
#include <string>

#include "sample_server.h"

namespace {

// {5B7A1C44-3E0D-4C8B-9E8A-6C1F20A4D511}
const CLSID kClsid = {0x5b7a1c44, 0x3e0d, 0x4c8b, {0x9e, 0x8a, 0x6c, 0x1f, 0x20, 0xa4, 0xd5, 0x11}};

struct Row {
    const wchar_t* key;
    long value;
};
constexpr Row kRows[] = {{L"a", 1}, {L"b", 2}, {L"c", 3}};

class InstanceMethodProvider : public sample::ProviderBase {
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

    STDMETHODIMP ExecMethodAsync(const BSTR path, const BSTR method, LONG, IWbemContext* context,
                                 IWbemClassObject* in, IWbemObjectSink* sink) override {
        if (!path || !method || !sink) return sample::Failure(WBEM_E_INVALID_PARAMETER);
        HRESULT hr = sample::Failure(WBEM_E_INVALID_METHOD);
        IWbemClassObject* out = nullptr;
        if (_wcsicmp(method, L"Echo") == 0) hr = Echo(context, in, &out);
        if (out) sample::Deliver(sink, out);
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

    HRESULT Echo(IWbemContext* context, IWbemClassObject* in, IWbemClassObject** out) {
        if (!in) return sample::Failure(WBEM_E_INVALID_METHOD_PARAMETERS);
        sample::Variant text;
        sample::Variant count;
        HRESULT hr = in->Get(L"sInArg", 0, &text.value, nullptr, nullptr);
        if (SUCCEEDED(hr)) hr = in->Get(L"nCount", 0, &count.value, nullptr, nullptr);
        if (FAILED(hr)) return hr;
        if (text.value.vt != VT_BSTR || count.value.vt != VT_I4)
            return sample::Failure(WBEM_E_INVALID_METHOD_PARAMETERS);
        std::wstring echoed;
        for (long i = 0; i < count.value.lVal; ++i) echoed += text.value.bstrVal;

        IWbemClassObject* definition = nullptr;
        hr = sample::GetClass(nameSpace_, L"MethProvSamp", context, &definition);
        if (FAILED(hr)) return hr;
        IWbemClassObject* signature = nullptr;
        hr = definition->GetMethod(L"Echo", 0, nullptr, &signature);
        definition->Release();
        if (FAILED(hr)) return hr;
        hr = signature->SpawnInstance(0, out);
        signature->Release();
        if (FAILED(hr)) return hr;
        sample::Variant result(echoed.c_str());
        sample::Variant returned(0L);
        hr = (*out)->Put(L"sOutArg", 0, &result.value, 0);
        if (SUCCEEDED(hr)) hr = (*out)->Put(L"ReturnValue", 0, &returned.value, 0);
        return hr;
    }
};

}  // namespace

SAMPLE_PROVIDER_MODULE(InstanceMethodProvider, kClsid)
