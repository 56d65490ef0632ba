#include "host/class_table.h"

#include <algorithm>

namespace norv::win {

ClassTable::ClassTable(std::span<const ProviderClassRow> rows) noexcept
    : rows_(rows.first(std::min(rows.size(), kModuleClassCount))) {}

ClassTable::~ClassTable() {
    for (auto& classObject : classObjects_) {
        if (ClassFactory* factory = classObject.exchange(nullptr)) factory->Release();
    }
}

HRESULT ClassTable::GetClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    const auto row = std::ranges::find_if(
        rows_, [&clsid](const ProviderClassRow& r) { return IsEqualCLSID(r.clsid, clsid); });
    if (row == rows_.end()) return CLASS_E_CLASSNOTAVAILABLE;

    ClassFactory* factory = nullptr;
    NORV_RETURN_IF_FAILED(
        CachedClassObject(static_cast<std::size_t>(row - rows_.begin()), factory));
    HRESULT hr = factory->QueryInterface(iid, out);
    if (hr == S_OK && *out == nullptr) hr = CLASS_E_CLASSNOTAVAILABLE;
    return hr;
}

HRESULT ClassTable::CachedClassObject(std::size_t row, ClassFactory*& factory) noexcept {
    std::atomic<ClassFactory*>& slot = classObjects_[row];
    factory = slot.load(std::memory_order_acquire);
    if (factory) return S_OK;

    CriticalSectionScope scope(section_);
    factory = slot.load(std::memory_order_relaxed);
    if (factory) return S_OK;
    NORV_RETURN_IF_FAILED(ClassFactory::Create(rows_[row].create, factory));
    slot.store(factory, std::memory_order_release);
    return S_OK;
}

}  // namespace norv::win
