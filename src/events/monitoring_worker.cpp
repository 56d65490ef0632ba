#include "events/monitoring_worker.h"

#include <objbase.h>

#include <utility>

#include "host/module_state.h"

namespace norv::win {

struct MonitoringWorker::Run {
    UniqueHandle stop;
    DWORD periodMilliseconds = 0;
    Tick tick;
    // The module stays loaded while the thread runs its code: the lock keeps
    // DllCanUnloadNow from agreeing, the pin keeps the code mapped until the thread is out.
    ModuleLockHolder moduleLock;
    HMODULE pinnedModule = nullptr;
};

MonitoringWorker::~MonitoringWorker() {
    (void)Stop();
}

HRESULT MonitoringWorker::Start(std::uint32_t periodSeconds, Tick tick) {
    if (run_) return S_OK;
    auto run = std::make_shared<Run>();
    run->stop.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!run->stop) return HRESULT_FROM_WIN32(::GetLastError());
    run->periodMilliseconds = periodSeconds * 1000;
    run->tick = std::move(tick);
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&MonitoringWorker::ThreadMain),
                              &run->pinnedModule)) {
        return HRESULT_FROM_WIN32(::GetLastError());
    }
    auto* threadsShare = new std::shared_ptr<Run>(run);
    DWORD threadId = 0;
    UniqueHandle thread(
        ::CreateThread(nullptr, 0, &MonitoringWorker::ThreadMain, threadsShare, 0, &threadId));
    if (!thread) {
        const HRESULT failure = HRESULT_FROM_WIN32(::GetLastError());
        ::FreeLibrary(run->pinnedModule);
        delete threadsShare;
        return failure;
    }
    run_ = std::move(run);
    thread_ = std::move(thread);
    threadId_ = threadId;
    periodMilliseconds_ = periodSeconds * 1000;
    return S_OK;
}

MonitoringWorker::Ending MonitoringWorker::Stop() noexcept {
    if (!run_) return {};
    ::SetEvent(run_->stop.get());
    run_.reset();
    return Ending(std::move(thread_), std::exchange(threadId_, 0), periodMilliseconds_);
}

bool MonitoringWorker::Ending::AwaitEnd() const noexcept {
    constexpr DWORD kLongestWaitMilliseconds = 2000;
    if (!thread_ || threadId_ == ::GetCurrentThreadId()) return !thread_;
    const DWORD wait = period_ < kLongestWaitMilliseconds ? period_ : kLongestWaitMilliseconds;
    return ::WaitForSingleObject(thread_.get(), wait) == WAIT_OBJECT_0;
}

DWORD WINAPI MonitoringWorker::ThreadMain(void* share) noexcept {
    HMODULE pinned = nullptr;
    {
        std::unique_ptr<std::shared_ptr<Run>> owned(static_cast<std::shared_ptr<Run>*>(share));
        std::shared_ptr<Run> run = std::move(*owned);
        pinned = run->pinnedModule;
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            // Released here, on this thread, before COM is: the tick may hold COM objects.
            Tick tick = std::move(run->tick);
            const StopSignal stop(run->stop.get());
            while (::WaitForSingleObject(run->stop.get(), run->periodMilliseconds) ==
                   WAIT_TIMEOUT) {
                try {
                    tick(stop);
                } catch (...) {
                    // Out of memory in one tick: the next one tries again.
                }
            }
        }
        if (SUCCEEDED(com)) ::CoUninitialize();
    }
    ::FreeLibraryAndExitThread(pinned, 0);
}

}  // namespace norv::win
