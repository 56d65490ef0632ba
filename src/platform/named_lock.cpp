#include "platform/named_lock.h"

namespace norv {

NamedLock::NamedLock(const LogConfigurationKey& logKey) {
    log.SetLabel("Mutex::");
    log.LoadConfiguration(logKey);
}

NamedLock::~NamedLock() {
    if (handle && !handle.close()) ReportFailure(GetLastError());
}

void NamedLock::SetObjectName(std::string_view baseName) {
    name.assign(kNamedLockPrefix).append(baseName);
}

bool NamedLock::Open() {
    return OpenedHandle() != nullptr;
}

void NamedLock::Lock() {
    localGuard.Enter();
    localOwner = GetCurrentThreadId();
    ++localDepth;
    const HANDLE mutex = OpenedHandle();
    if (mutex == nullptr) return;
    if (WaitForSingleObject(mutex, INFINITE) != WAIT_OBJECT_0) ReportFailure(GetLastError());
}

void NamedLock::Unlock() {
    const HANDLE mutex = CurrentHandle();
    if (mutex != nullptr && !ReleaseMutex(mutex)) ReportFailure(GetLastError());
    if (localOwner != GetCurrentThreadId()) return;
    if (--localDepth == 0) localOwner = 0;
    localGuard.Leave();
}

HANDLE NamedLock::CurrentHandle() {
    AcquireSRWLockShared(&openGuard);
    const HANDLE current = handle.get();
    ReleaseSRWLockShared(&openGuard);
    return current;
}

// Once created, the handle stays until destruction, so it may be used outside the guard.
HANDLE NamedLock::OpenedHandle() {
    if (const HANDLE current = CurrentHandle()) return current;
    AcquireSRWLockExclusive(&openGuard);
    if (!handle) {
        // An existing mutex of the name (another process made it first) is as good as new.
        handle.reset(CreateMutexA(nullptr, FALSE, name.empty() ? nullptr : name.c_str()));
    }
    const HANDLE current = handle.get();
    const DWORD createError = GetLastError();
    ReleaseSRWLockExclusive(&openGuard);
    if (current == nullptr) ReportFailure(createError);
    return current;
}

// One message for every failure, whichever call failed (create, wait, release or close).
void NamedLock::ReportFailure(DWORD error) noexcept {
    log.LogError("CreateSemaphore(Mutex) failed.  Last error:  %d", static_cast<int>(error));
}

}  // namespace norv
