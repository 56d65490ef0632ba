// An instance that records the names of the properties put on it, in order, and can refuse
// the n-th put: what a fill operation writes and where it stops are seen directly.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <string>
#include <vector>

#include "class_object_double.h"

namespace norv::test {

class PutRecorder final : public ClassObjectDouble {
public:
    // Lives on the test's stack; references only count.
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

    HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, LONG, VARIANT* value, CIMTYPE) override {
        const bool refused = puts.size() == refusedPut;
        puts.emplace_back(name);
        types.push_back(value ? V_VT(value) : VARTYPE{VT_EMPTY});
        return refused ? static_cast<HRESULT>(WBEM_E_TYPE_MISMATCH) : HRESULT{WBEM_S_NO_ERROR};
    }

    // The put with this index (from 0) fails; the default refuses none.
    std::size_t refusedPut = static_cast<std::size_t>(-1);
    std::vector<std::wstring> puts;
    std::vector<VARTYPE> types;
    ULONG references = 1;
};

}  // namespace norv::test
