// The second process of the cross-process lock tests.
//   norv_lock_holder lock <base name> <ready event> <releasing event> <hold ms>
//     takes the named lock, signals the ready event, holds the lock for the given time,
//     signals the releasing event and releases the lock.
// Exit code 0 on success, 2 for bad arguments, 3 when an event cannot be opened.
#include <windows.h>

#include <cstdlib>
#include <string_view>

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

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "lock" && argc == 6) return HoldLock(argv[2], argv[3], argv[4], Number(argv[5]));
    return 2;
}
