// The module's state, one per process: the lock count that decides whether the module may be
// unloaded, the LIBID of its type library and the lock that serialises the first loading of
// type information.
#pragma once

#include <windows.h>

#include "platform/critical_section.h"

namespace norv::win {

class ModuleState {
public:
    ModuleState() noexcept = default;
    ModuleState(const ModuleState&) = delete;
    ModuleState& operator=(const ModuleState&) = delete;

    // The count of living provider objects, class objects held beyond the class table's own
    // reference, and LockServer(TRUE) calls not yet given back.
    LONG Lock() noexcept { return ::InterlockedIncrement(&lockCount_); }
    LONG Unlock() noexcept { return ::InterlockedDecrement(&lockCount_); }
    LONG LockCount() const noexcept { return ::InterlockedCompareExchange(&lockCount_, 0, 0); }

    bool InitializationFailed() const noexcept { return !typeInfoSection_.Initialized(); }
    CriticalSection& TypeInfoSection() noexcept { return typeInfoSection_; }
    const GUID& LibraryId() const noexcept;

private:
    mutable LONG lockCount_ = 0;
    CriticalSection typeInfoSection_;
};

// The state of the module this code is linked into.
ModuleState& Module() noexcept;

// One module lock for the life of its owner: every provider object holds one, so that a
// living provider keeps the module loaded.
class ModuleLockHolder {
public:
    ModuleLockHolder() noexcept { Module().Lock(); }
    ~ModuleLockHolder() { Module().Unlock(); }
    ModuleLockHolder(const ModuleLockHolder&) = delete;
    ModuleLockHolder& operator=(const ModuleLockHolder&) = delete;
};

}  // namespace norv::win
