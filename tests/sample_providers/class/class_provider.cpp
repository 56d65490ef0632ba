// A class provider as a provider's author writes one: it supplies ClassProvSamp, derived
// from the static ClassProvSampBase of its MOF with three typed properties, a class
// qualifier and a property qualifier, made afresh for each request. Asked for
// ClassProvSilent it succeeds without handing out a class; any other class it refuses.
#include "sample_server.h"

namespace {

// {3C9D6E21-84B7-4F0A-A5D2-71E4B8C03F96}, as ClassProvSamp.mof registers it.
const CLSID kClsid = {0x3c9d6e21, 0x84b7, 0x4f0a, {0xa5, 0xd2, 0x71, 0xe4, 0xb8, 0xc0, 0x3f, 0x96}};

constexpr const wchar_t* kBaseClass = L"ClassProvSampBase";
constexpr const wchar_t* kSuppliedClass = L"ClassProvSamp";
constexpr const wchar_t* kSilentClass = L"ClassProvSilent";

HRESULT PutQualifier(IWbemQualifierSet* qualifiers, const wchar_t* name, const wchar_t* text) {
    sample::Variant value(text);
    return qualifiers->Put(name, &value.value, WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS);
}

class ClassProvider : public sample::ProviderBase {
public:
    STDMETHODIMP GetObjectAsync(const BSTR path, LONG, IWbemContext* context,
                                IWbemObjectSink* sink) override {
        if (!path || !sink) return sample::Failure(WBEM_E_INVALID_PARAMETER);
        HRESULT hr = sample::Failure(WBEM_E_NOT_FOUND);
        if (_wcsicmp(path, kSuppliedClass) == 0) {
            IWbemClassObject* made = nullptr;
            hr = MakeClass(context, &made);
            if (SUCCEEDED(hr)) sample::Deliver(sink, made);
        } else if (_wcsicmp(path, kSilentClass) == 0) {
            hr = WBEM_S_NO_ERROR;
        }
        sink->SetStatus(WBEM_STATUS_COMPLETE, hr, nullptr, nullptr);
        return WBEM_S_NO_ERROR;
    }

    // ClassProvSamp is the one class below ClassProvSampBase: a shallow enumeration of the
    // root finds none, a deep one and either of the base class finds it.
    STDMETHODIMP CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                      IWbemObjectSink* sink) override {
        if (!sink) return sample::Failure(WBEM_E_INVALID_PARAMETER);
        const bool fromRoot = !superclass || superclass[0] == L'\0';
        const bool listed = fromRoot ? (flags & WBEM_FLAG_SHALLOW) == 0
                                     : _wcsicmp(superclass, kBaseClass) == 0;
        HRESULT hr = WBEM_S_NO_ERROR;
        if (listed) {
            IWbemClassObject* made = nullptr;
            hr = MakeClass(context, &made);
            if (SUCCEEDED(hr)) sample::Deliver(sink, made);
        }
        sink->SetStatus(WBEM_STATUS_COMPLETE, hr, nullptr, nullptr);
        return WBEM_S_NO_ERROR;
    }

private:
    HRESULT MakeClass(IWbemContext* context, IWbemClassObject** made) {
        IWbemClassObject* base = nullptr;
        HRESULT hr = sample::GetClass(nameSpace_, kBaseClass, context, &base);
        if (FAILED(hr)) return hr;
        hr = base->SpawnDerivedClass(0, made);
        base->Release();
        if (FAILED(hr)) return hr;
        hr = Define(*made);
        if (FAILED(hr)) {
            (*made)->Release();
            *made = nullptr;
        }
        return hr;
    }

    static HRESULT Define(IWbemClassObject* made) {
        sample::Variant name(kSuppliedClass);
        HRESULT hr = made->Put(L"__CLASS", 0, &name.value, 0);
        if (FAILED(hr)) return hr;
        hr = made->Put(L"Label", 0, nullptr, CIM_STRING);
        if (FAILED(hr)) return hr;
        sample::Variant speed(1200L);
        hr = made->Put(L"Speed", 0, &speed.value, CIM_UINT32);
        if (FAILED(hr)) return hr;
        sample::Variant enabled(true);
        hr = made->Put(L"Enabled", 0, &enabled.value, CIM_BOOLEAN);
        if (FAILED(hr)) return hr;

        IWbemQualifierSet* qualifiers = nullptr;
        hr = made->GetQualifierSet(&qualifiers);
        if (FAILED(hr)) return hr;
        hr = PutQualifier(qualifiers, L"Description", L"A class the sample class provider makes.");
        qualifiers->Release();
        if (FAILED(hr)) return hr;
        hr = made->GetPropertyQualifierSet(L"Speed", &qualifiers);
        if (FAILED(hr)) return hr;
        hr = PutQualifier(qualifiers, L"Units", L"RPM");
        qualifiers->Release();
        return hr;
    }
};

}  // namespace

SAMPLE_PROVIDER_MODULE(ClassProvider, kClsid)
