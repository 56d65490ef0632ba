// A machine-wide lock on a named Win32 mutex "Global\wmi_<name>". Failure-tolerant: what
// goes wrong is written to the diagnostic log and the caller carries on without the mutex.
// A process-local section is always taken first, so that the threads of one process
// exclude each other even when the mutex cannot be had.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>

#include "platform/critical_section.h"
#include "platform/log_writer.h"
#include "platform/win_resource.h"

namespace norv {

inline constexpr std::string_view kNamedLockPrefix = "Global\\wmi_";

class NamedLock {
public:
    // Its log is configured from the provider's logging key.
    NamedLock() : NamedLock(kLogConfigurationKey) {}
    explicit NamedLock(const LogConfigurationKey& logKey);
    virtual ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // Called once, before the first Lock; without it the mutex is unnamed and process-local.
    void SetObjectName(std::string_view baseName);

    // Creates (or opens) the mutex on first use; true when the lock has its mutex.
    bool Open();

    // Waits without time-out, for the process-local section and then for the mutex. A mutex
    // abandoned by a dead owner is owned all the same. Both may be taken again by their
    // owning thread.
    virtual void Lock();
    virtual void Unlock();

private:
    HANDLE OpenedHandle();
    HANDLE CurrentHandle();
    void ReportFailure(DWORD error) noexcept;

    // The process-local section and the thread holding it: an Unlock without its Lock, which
    // ReleaseMutex refuses, must not leave a section its thread does not own.
    win::CriticalSection localGuard;
    std::atomic<DWORD> localOwner{0};
    unsigned localDepth = 0;
    win::UniqueHandle handle;
    std::string name;
    LogWriter log;
    // Two threads taking a fresh lock at once create one mutex handle, not two.
    SRWLOCK openGuard = SRWLOCK_INIT;
};

}  // namespace norv
