#include "host/class_factory.h"

#include <new>

#include "host/module_state.h"

namespace norv::win {

ULONG ModuleLockBeyondTableReference::Add() noexcept {
    CriticalSectionScope scope(section_);
    if (++count_ == kTableReferences + 1) Module().Lock();
    return static_cast<ULONG>(count_);
}

ULONG ModuleLockBeyondTableReference::Remove() noexcept {
    CriticalSectionScope scope(section_);
    if (--count_ == kTableReferences) Module().Unlock();
    return static_cast<ULONG>(count_);
}

HRESULT ClassFactory::Create(ProviderCreator create, ClassFactory*& out) noexcept {
    out = nullptr;
    auto* factory = new (std::nothrow) ClassFactory(create);
    if (!factory) return E_OUTOFMEMORY;
    if (!factory->Counted().Initialized()) {
        delete factory;
        return E_OUTOFMEMORY;
    }
    factory->AddRef();  // the class table's, which does not hold the module
    out = factory;
    return S_OK;
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
