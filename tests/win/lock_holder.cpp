// The second process of the cross-process lock and log tests.
//   norv_lock_holder lock <base name> <ready event> <releasing event> <hold ms>
//     takes the named lock, signals the ready event, holds the lock for the given time,
//     signals the releasing event and releases the lock.
//   norv_lock_holder write <log file> <go event> <count> <label>
//     waits for the go event, then writes count Error lines to the log file.
// Exit code 0 on success, 2 for bad arguments, 3 when an event cannot be opened.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/log_writer.h"
#include "platform/named_lock.h"
#include "platform/win_resource.h"

namespace {

constexpr DWORD kGoWaitMs = 10000;

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

int WriteLines(const char* fileName, const char* goName, DWORD count, const char* label) {
    const auto go = OpenNamedEvent(goName);
    if (!go) return 3;
    norv::LogWriter writer;
    writer.SetLabel(label);
    if (writer.OpenLog(fileName, 1, 7) != ERROR_SUCCESS) return 3;
    WaitForSingleObject(go.get(), kGoWaitMs);
    // Long lines widen the window in which unserialised appends would overlap.
    const std::string padding(200, '.');
    for (DWORD i = 0; i < count; ++i) {
        writer.LogError("line %lu %s", static_cast<unsigned long>(i), padding.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "lock" && argc == 6) return HoldLock(argv[2], argv[3], argv[4], Number(argv[5]));
    if (command == "write" && argc == 6) {
        return WriteLines(argv[2], argv[3], Number(argv[4]), argv[5]);
    }
    return 2;
}
