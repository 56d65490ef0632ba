// The class-table state: the rows of the served provider classes and, per row, the class
// object created on its first request and kept for the life of the table.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <span>

#include "host/class_factory.h"
#include "platform/critical_section.h"
#include "host/provider_class_row.h"

namespace norv::win {

class ClassTable {
public:
    // At most kModuleClassCount rows; `rows` must outlive the table.
    explicit ClassTable(std::span<const ProviderClassRow> rows) noexcept;
    ~ClassTable();
    ClassTable(const ClassTable&) = delete;
    ClassTable& operator=(const ClassTable&) = delete;

    bool InitializationFailed() const noexcept { return !section_.Initialized(); }
    std::span<const ProviderClassRow> Rows() const noexcept { return rows_; }

    // The class object of the first row with `clsid`, asked for `iid` (DllGetClassObject).
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept;

private:
    HRESULT CachedClassObject(std::size_t row, ClassFactory*& factory) noexcept;

    std::span<const ProviderClassRow> rows_;
    std::array<std::atomic<ClassFactory*>, kModuleClassCount> classObjects_{};
    CriticalSection section_;
};

}  // namespace norv::win
