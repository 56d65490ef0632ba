#include "host/class_factory.h"

#include <new>

#include "host/com_object.h"
#include "host/module_state.h"

namespace norv::win {

HRESULT ClassFactory::Create(ProviderCreator create, ClassFactory*& out) noexcept {
    out = nullptr;
    auto* factory = new (std::nothrow) ClassFactory(create);
    if (!factory) return E_OUTOFMEMORY;
    if (!factory->section_.Initialized()) {
        delete factory;
        return E_OUTOFMEMORY;
    }
    factory->references_ = kTableReferences;
    out = factory;
    return S_OK;
}

HRESULT ClassFactory::QueryInterface(REFIID iid, void** out) noexcept {
    return QueryInterfaceAmong<IClassFactory>(this, iid, out);
}

ULONG ClassFactory::AddRef() noexcept {
    CriticalSectionScope scope(section_);
    const LONG count = ::InterlockedIncrement(&references_);
    if (count == kTableReferences + 1) Module().Lock();
    return static_cast<ULONG>(count);
}

ULONG ClassFactory::Release() noexcept {
    LONG count = 0;
    {
        CriticalSectionScope scope(section_);
        count = ::InterlockedDecrement(&references_);
        if (count == kTableReferences) Module().Unlock();
    }
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(iid, out);
}

HRESULT ClassFactory::LockServer(BOOL lock) noexcept {
    if (lock) {
        Module().Lock();
    } else {
        Module().Unlock();
    }
    return S_OK;
}

}  // namespace norv::win
