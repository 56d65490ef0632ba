// Whether another thread or process comes to own a named mutex within a time: polled, and let
// go at once whenever the polling thread got it instead. Tests use it to see that a request
// holds a lock while it waits for another.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win_resource.h"

namespace norv::test {

inline bool OwnedByAnotherWithin(const std::string& name, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        const win::UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
        if (mutex) {
            const DWORD state = ::WaitForSingleObject(mutex.get(), 0);
            if (state == WAIT_TIMEOUT) return true;
            if (state == WAIT_OBJECT_0 || state == WAIT_ABANDONED) ::ReleaseMutex(mutex.get());
        }
        ::Sleep(20);
    } while (::GetTickCount() - start < milliseconds);
    return false;
}

}  // namespace norv::test
