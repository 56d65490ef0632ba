#include "events/monitoring_worker.h"

#include <objbase.h>

#include <utility>

namespace norv::win {

HRESULT MonitoringWorker::Start(std::uint32_t periodSeconds, Tick tick) {
    if (thread_ && threadId_ != ::GetCurrentThreadId()) {
        // Stopped from its own thread earlier: finish that stop first.
        if (::WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0) Stop();
    }
    if (thread_) return S_OK;
    stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop_) return HRESULT_FROM_WIN32(::GetLastError());
    periodSeconds_ = periodSeconds;
    tick_ = std::move(tick);
    Module().Lock();
    holdsModuleLock_ = true;
    thread_.reset(::CreateThread(nullptr, 0, &MonitoringWorker::Run, this, 0, &threadId_));
    if (!thread_) {
        const HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
        Module().Unlock();
        holdsModuleLock_ = false;
        return hr;
    }
    return S_OK;
}

void MonitoringWorker::Stop() noexcept {
    if (!thread_) return;
    ::SetEvent(stop_.get());
    if (threadId_ == ::GetCurrentThreadId()) return;
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    stop_.reset();
    threadId_ = 0;
    if (holdsModuleLock_) Module().Unlock();
    holdsModuleLock_ = false;
}

DWORD WINAPI MonitoringWorker::Run(void* self) noexcept {
    auto* worker = static_cast<MonitoringWorker*>(self);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const DWORD period = worker->periodSeconds_ * 1000;
    while (::WaitForSingleObject(worker->stop_.get(), period) == WAIT_TIMEOUT) {
        try {
            worker->tick_();
        } catch (...) {
            // Out of memory in one tick: the next one tries again.
        }
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}

}  // namespace norv::win
