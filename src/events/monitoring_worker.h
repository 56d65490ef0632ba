// One thread that runs a tick once per period until it is stopped. It waits on an event, so
// a stop takes effect after the tick under way, never after a period.
//
// A stop does not wait for the thread itself: a tick may stop its own worker (a sink that
// cancels the subscription inside Indicate), and the caller of a stop may hold locks. It
// hands the ending thread to the caller, who waits for it with no lock held, and for no
// longer than a period and at most two seconds, so that a tick blocked in a sink cannot hang
// it. The thread owns what it uses: its stop event, the tick with whatever the tick holds
// (the event provider keeps itself alive through it), a module lock and a pin on the
// module's code, all given up as the thread ends, whichever thread asked it to.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "platform/win_resource.h"

namespace norv::win {

// What a tick asks to learn whether its run was stopped meanwhile.
class StopSignal {
public:
    explicit StopSignal(HANDLE stop) noexcept : stop_(stop) {}
    bool Requested() const noexcept { return ::WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0; }

private:
    HANDLE stop_;
};

class MonitoringWorker {
public:
    using Tick = std::function<void(const StopSignal&)>;

    MonitoringWorker() = default;
    ~MonitoringWorker();
    MonitoringWorker(const MonitoringWorker&) = delete;
    MonitoringWorker& operator=(const MonitoringWorker&) = delete;

    // Starts a run unless one runs; the ticks run in the multithreaded apartment.
    HRESULT Start(std::uint32_t periodSeconds, Tick tick);
    // Asks the run to end and forgets it at once; from then on Running() is false and a
    // Start starts a new run beside the ending one. Returns the ending run for AwaitEnd.
    class Ending;
    [[nodiscard]] Ending Stop() noexcept;
    bool Running() const noexcept { return run_ != nullptr; }

private:
    struct Run;
    static DWORD WINAPI ThreadMain(void* run) noexcept;

    std::shared_ptr<Run> run_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
    DWORD periodMilliseconds_ = 0;
};

// A stopped run's thread, to be waited for once the caller holds no lock.
class MonitoringWorker::Ending {
public:
    Ending() = default;
    Ending(UniqueHandle thread, DWORD threadId, DWORD periodMilliseconds) noexcept
        : thread_(std::move(thread)), threadId_(threadId), period_(periodMilliseconds) {}

    // Waits for the thread to end, unless it is this thread (a tick stopping its own run):
    // for as long as a tick under way takes, a period or two seconds at the most. True when
    // it ended (or there was none).
    bool AwaitEnd() const noexcept;

private:
    UniqueHandle thread_;
    DWORD threadId_ = 0;
    DWORD period_ = 0;
};

}  // namespace norv::win
