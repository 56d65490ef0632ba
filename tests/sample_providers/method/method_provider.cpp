// A method provider as a provider's author writes one: MethProvSamp.Echo hands back its text
// in-parameter Count times, as it came (the MOF gives the text a default) and never looks at
// an in-parameter that is not there.
#include <string>

#include "sample_server.h"

namespace {

// {7E3F58A2-91C4-4D27-B1E5-2A8C6D90F3B7}
const CLSID kClsid = {0x7e3f58a2, 0x91c4, 0x4d27, {0xb1, 0xe5, 0x2a, 0x8c, 0x6d, 0x90, 0xf3, 0xb7}};

class MethodProvider : public sample::ProviderBase {
public:
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

SAMPLE_PROVIDER_MODULE(MethodProvider, kClsid)
