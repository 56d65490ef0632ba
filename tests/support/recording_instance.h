// The tests' one IWbemClassObject double. Get answers from the values a test set; every Put
// is recorded (name, flags, CIM type, a copy of the value, the references held meanwhile)
// and the put with a chosen index can be refused; every other method answers E_NOTIMPL. It
// lives on the test's stack: its references only count.
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
        return refused ? static_cast<HRESULT>(WBEM_E_TYPE_MISMATCH) : putStatus;
    }

    // Gives the property this value; the instance takes it over.
    void Set(const wchar_t* name, const VARIANT& value) {
        VARIANT& slot = values_[name];
        ::VariantClear(&slot);
        slot = value;
    }

    std::vector<std::wstring> PutNames() const {
        std::vector<std::wstring> names;
        for (const Recorded& put : puts) names.push_back(put.name);
        return names;
    }
    std::vector<VARTYPE> PutTypes() const {
        std::vector<VARTYPE> types;
        for (const Recorded& put : puts) types.push_back(V_VT(&put.value));
        return types;
    }
    // The value of the last put of the property; null when it was not put.
    const VARIANT* Value(const wchar_t* name) const {
        for (auto put = puts.rbegin(); put != puts.rend(); ++put) {
            if (put->name == name) return &put->value;
        }
        return nullptr;
    }
    std::wstring Text(const wchar_t* name) const {
        const VARIANT* value = Value(name);
        return value && V_VT(value) == VT_BSTR ? std::wstring(V_BSTR(value)) : L"<none>";
    }
    LONG Integer(const wchar_t* name) const {
        const VARIANT* value = Value(name);
        return value && V_VT(value) == VT_I4 ? V_I4(value) : 0x7EADBEEF;
    }

    // The put with this index (from 0) fails with WBEM_E_TYPE_MISMATCH; by default none.
    std::size_t refusedPut = static_cast<std::size_t>(-1);
    // What every other put answers.
    HRESULT putStatus = WBEM_S_NO_ERROR;
    std::deque<Recorded> puts;  // a deque: a recorded value never moves
    ULONG references = 1;
    ULONG referencesDuringCall = 0;

    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EndEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR, LONG, IWbemClassObject**,
                                        IWbemClassObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject*,
                                        IWbemClassObject*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR*, IWbemClassObject**,
                                         IWbemClassObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }

private:
    std::map<std::wstring, VARIANT> values_;
};

}  // namespace norv::test
