// The second process of the cross-process lock tests.
//   norv_lock_holder lock <base name> <ready event> <releasing event> <hold ms>
//     takes the named lock, signals the ready event, holds the lock for the given time,
//     signals the releasing event and releases the lock.
//   norv_lock_holder try <ms> <base name>...
//     takes each named lock in turn, as a request of another process would, each within the
//     time given, and releases them all.
// Exit code 0 on success, 1 when a lock was not had in time, 2 for bad arguments, 3 when an
// event cannot be opened.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/named_lock.h"
#include "platform/win_resource.h"

namespace {

norv::win::UniqueHandle OpenNamedEvent(const char* name) {
    return norv::win::UniqueHandle(OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name));
}

DWORD Number(const char* text) {
    return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

int HoldLock(const char* baseName, const char* readyName, const char* releasingName, DWORD holdMs) {
    const auto ready = OpenNamedEvent(readyName);
    const auto releasing = OpenNamedEvent(releasingName);
    if (!ready || !releasing) return 3;
    norv::NamedLock lock;
    lock.SetObjectName(baseName);
    lock.Lock();
    SetEvent(ready.get());
    Sleep(holdMs);
    SetEvent(releasing.get());
    lock.Unlock();
    return 0;
}

int TryLocks(DWORD withinMs, char** baseNames, int count) {
    std::vector<norv::win::UniqueHandle> held;
    int result = 0;
    for (int i = 0; i < count && result == 0; ++i) {
        const std::string name = "Global\\wmi_" + std::string(baseNames[i]);
        norv::win::UniqueHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
        const DWORD waited = mutex ? WaitForSingleObject(mutex.get(), withinMs) : WAIT_FAILED;
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) result = 1;
        if (result == 0) held.push_back(std::move(mutex));
    }
    for (auto it = held.rbegin(); it != held.rend(); ++it) ReleaseMutex(it->get());
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "lock" && argc == 6) return HoldLock(argv[2], argv[3], argv[4], Number(argv[5]));
    if (command == "try" && argc >= 4) return TryLocks(Number(argv[2]), argv + 3, argc - 3);
    return 2;
}
