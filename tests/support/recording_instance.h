// The tests' one IWbemClassObject double, on the test's stack (its references only count).
// Get answers from the values a test set; every Put is recorded (name, flags, CIM type, value,
// references held meanwhile), the put with a chosen index refused; the rest is E_NOTIMPL.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/win_resource.h"

namespace norv::test {

class RecordingInstance final : public IWbemClassObject {
public:
    struct Recorded {
        std::wstring name;
        LONG flags = 0;
        CIMTYPE type = 0;
        win::UniqueVariant value;
    };

    RecordingInstance() = default;
    RecordingInstance(const RecordingInstance&) = delete;
    RecordingInstance& operator=(const RecordingInstance&) = delete;
    ~RecordingInstance() {
        for (auto& [name, value] : values_) ::VariantClear(&value);
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IWbemClassObject)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IWbemClassObject*>(this);
        AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE*, LONG*) override {
        referencesDuringCall = references;
        const auto found = values_.find(name);
        if (found == values_.end()) return static_cast<HRESULT>(WBEM_E_NOT_FOUND);
        return ::VariantCopy(value, &found->second);
    }
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) override {
        referencesDuringCall = references;
        const bool refused = puts.size() == refusedPut;
        Recorded& put = puts.emplace_back();
        put.name = name;
        put.flags = flags;
        put.type = type;
        if (value) {
            const HRESULT copied = ::VariantCopy(put.value.put(), value);
            if (FAILED(copied)) return copied;
        }
        return refused ? static_cast<HRESULT>(WBEM_E_TYPE_MISMATCH) : S_OK;
    }

    // Gives the property this value; the instance takes it over.
    void Set(const wchar_t* name, const VARIANT& value) {
        VARIANT& slot = values_[name];
        ::VariantClear(&slot);
        slot = value;
    }

    // The put with this index (from 0) fails with WBEM_E_TYPE_MISMATCH; by default none.
    std::size_t refusedPut = static_cast<std::size_t>(-1);
    std::deque<Recorded> puts;  // a deque: a recorded value never moves
    ULONG references = 1;
    ULONG referencesDuringCall = 0;

#define NORV_NOT_IMPLEMENTED(name, ...)                    \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { \
        return E_NOTIMPL;                                  \
    }
    NORV_NOT_IMPLEMENTED(GetQualifierSet, IWbemQualifierSet**)
    NORV_NOT_IMPLEMENTED(Delete, LPCWSTR)
    NORV_NOT_IMPLEMENTED(GetNames, LPCWSTR, LONG, VARIANT*, SAFEARRAY**)
    NORV_NOT_IMPLEMENTED(BeginEnumeration, LONG)
    NORV_NOT_IMPLEMENTED(Next, LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*)
    NORV_NOT_IMPLEMENTED(EndEnumeration)
    NORV_NOT_IMPLEMENTED(GetPropertyQualifierSet, LPCWSTR, IWbemQualifierSet**)
    NORV_NOT_IMPLEMENTED(Clone, IWbemClassObject**)
    NORV_NOT_IMPLEMENTED(GetObjectText, LONG, BSTR*)
    NORV_NOT_IMPLEMENTED(SpawnDerivedClass, LONG, IWbemClassObject**)
    NORV_NOT_IMPLEMENTED(SpawnInstance, LONG, IWbemClassObject**)
    NORV_NOT_IMPLEMENTED(CompareTo, LONG, IWbemClassObject*)
    NORV_NOT_IMPLEMENTED(GetPropertyOrigin, LPCWSTR, BSTR*)
    NORV_NOT_IMPLEMENTED(InheritsFrom, LPCWSTR)
    NORV_NOT_IMPLEMENTED(GetMethod, LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**)
    NORV_NOT_IMPLEMENTED(PutMethod, LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*)
    NORV_NOT_IMPLEMENTED(DeleteMethod, LPCWSTR)
    NORV_NOT_IMPLEMENTED(BeginMethodEnumeration, LONG)
    NORV_NOT_IMPLEMENTED(NextMethod, LONG, BSTR*, IWbemClassObject**, IWbemClassObject**)
    NORV_NOT_IMPLEMENTED(EndMethodEnumeration)
    NORV_NOT_IMPLEMENTED(GetMethodQualifierSet, LPCWSTR, IWbemQualifierSet**)
    NORV_NOT_IMPLEMENTED(GetMethodOrigin, LPCWSTR, BSTR*)
#undef NORV_NOT_IMPLEMENTED

private:
    std::map<std::wstring, VARIANT> values_;
};

}  // namespace norv::test
