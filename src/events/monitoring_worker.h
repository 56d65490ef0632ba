// One thread that runs a tick once per period until it is stopped. It
// waits on an event, so Stop takes at most the tick under way, never a period. While it
// runs it holds a module lock: the module cannot be unloaded under it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "host/module_state.h"
#include "platform/win_resource.h"

namespace norv::win {

class MonitoringWorker {
public:
    using Tick = std::function<void()>;

    MonitoringWorker() = default;
    ~MonitoringWorker() { Stop(); }
    MonitoringWorker(const MonitoringWorker&) = delete;
    MonitoringWorker& operator=(const MonitoringWorker&) = delete;

    // Starts the thread unless it runs; the tick runs in the multithreaded apartment.
    HRESULT Start(std::uint32_t periodSeconds, Tick tick);
    // Wakes the thread and waits for it to end. From the worker's own thread (a tick that
    // cancels its own subscription) it only wakes it; the next Start or Stop waits.
    void Stop() noexcept;
    bool Running() const noexcept { return thread_.get() != nullptr; }

private:
    static DWORD WINAPI Run(void* self) noexcept;

    UniqueHandle stop_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
    std::uint32_t periodSeconds_ = 0;
    Tick tick_;
    // Held from Start to the end of Stop.
    bool holdsModuleLock_ = false;
};

}  // namespace norv::win
