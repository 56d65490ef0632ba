// Whether another thread or process comes to own a named mutex within a time: polled, and let
// go at once whenever the polling thread got it instead. Tests use it to see that a request
// holds a lock while it waits for another, which a second process holds.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "log_test_support.h"
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

// norv_lock_holder holds the machine-wide lock wmi_<held> for a second while the request runs
// on a thread of its own: the request must hold each of ownedMeanwhile while it waits, and end
// only after the holder let go. The request's status.
inline HRESULT RequestWhileAnotherProcessHolds(const std::string& held,
                                               const std::vector<std::string>& ownedMeanwhile,
                                               const std::function<HRESULT()>& request) {
    const TestEvent ready("Ready");
    const TestEvent releasing("Releasing");
    HelperProcess holder("lock " + held + " " + ready.Name() + " " + releasing.Name() + " 1000");
    EXPECT_TRUE(holder.Started() && ready.WaitFor(10000)) << "the helper did not take " << held;
    std::atomic<bool> done{false};
    HRESULT result = E_FAIL;
    std::thread requester([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        result = request();
        done = true;
        ::CoUninitialize();
    });
    for (const std::string& name : ownedMeanwhile) {
        EXPECT_TRUE(OwnedByAnotherWithin(name, 5000)) << "the waiting request holds " << name;
    }
    EXPECT_TRUE(releasing.WaitFor(10000));
    EXPECT_FALSE(done) << "the request ran while another process held " << held;
    requester.join();
    EXPECT_EQ(holder.WaitForExit(10000), 0u);
    return result;
}

}  // namespace norv::test
