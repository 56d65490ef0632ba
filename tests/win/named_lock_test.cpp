#include "platform/named_lock.h"

#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "log_test_support.h"

namespace norv {
namespace {

using test::HelperProcess;
using test::TempFile;
using test::TestEvent;
using test::TestLogKey;

constexpr const char* kFailurePrefix =
    "[Error] - Mutex::CreateSemaphore(Mutex) failed.  Last error:  ";

// Each lock of these tests logs to a file of its own through a key of its own.
class NamedLockTest : public ::testing::Test {
protected:
    NamedLockTest() { key.LogTo(logFile.Path()); }

    // The lines of the log, each from the type name on.
    std::vector<std::string> FailureLines() const {
        std::vector<std::string> failures;
        for (const auto& line : test::SplitLines(test::ReadFileBytes(logFile.Path()))) {
            const std::size_t type = line.find("[Error]");
            failures.push_back(type == std::string::npos ? line : line.substr(type));
        }
        return failures;
    }

    TempFile logFile{"LockLog"};
    TestLogKey key;
};

// The mutex is Global\wmi_ and the name, made at the first Lock, and the lock is reentrant
// for its owner (ThreadsTakingAFreshLockShareOneMutex shows an unnamed one keeps them out).
TEST_F(NamedLockTest, ExcludesOtherThreadsUnderItsGlobalNameAndIsReentrant) {
    const std::string base = test::UniqueName("Lock");
    const std::string fullName = "Global\\wmi_" + base;
    {
        NamedLock lock(key.Key());
        lock.SetObjectName(base);
        EXPECT_FALSE(win::UniqueHandle(OpenMutexA(SYNCHRONIZE, FALSE, fullName.c_str())));
        lock.Lock();
        lock.Lock();
        lock.Unlock();
        EXPECT_TRUE(test::OwnedForAnotherThread(fullName)) << "one Unlock released both Locks";
        lock.Unlock();
        EXPECT_FALSE(test::OwnedForAnotherThread(fullName));
        EXPECT_TRUE(FailureLines().empty());
        // One Unlock too many: ReleaseMutex fails with ERROR_NOT_OWNER.
        lock.Unlock();
    }
    EXPECT_EQ(FailureLines(), std::vector<std::string>{std::string(kFailurePrefix) + "288"});
}

// A name another object type holds: making the mutex fails with ERROR_INVALID_HANDLE, logged
// at each try, and the event is not taken for a mutex. The lock still keeps the threads of its
// process apart: a second thread gets it only after the first let go, and sees what it wrote.
TEST_F(NamedLockTest, WithoutItsMutexALockLogsEachTryAndStillExcludesOtherThreads) {
    const std::string base = test::UniqueName("Lock");
    const win::UniqueHandle squatter(
        CreateEventA(nullptr, TRUE, FALSE, ("Global\\wmi_" + base).c_str()));
    ASSERT_TRUE(squatter);
    const std::string failure = std::string(kFailurePrefix) + "6";
    {
        NamedLock lock(key.Key());
        lock.SetObjectName(base);
        lock.Lock();
        EXPECT_EQ(FailureLines(), std::vector<std::string>{failure});
        int written = 1;
        int seen = 0;
        std::thread other([&] {
            lock.Lock();
            seen = written;
            lock.Unlock();
        });
        Sleep(200);
        written = 2;
        lock.Unlock();
        other.join();
        EXPECT_EQ(seen, 2);
        lock.Unlock();  // one too many: the section is left alone
        lock.Lock();
        lock.Unlock();
        EXPECT_FALSE(lock.Open());
    }
    EXPECT_EQ(FailureLines(), std::vector<std::string>(4, failure));
    EXPECT_EQ(WaitForSingleObject(squatter.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(NamedLockTest, NeverLockedLockMakesNoKernelCallWhenDestroyed) {
    {
        NamedLock unnamed(key.Key());
        NamedLock named(key.Key());
        named.SetObjectName(test::UniqueName("Lock"));
    }
    EXPECT_FALSE(test::FileExists(logFile.Path()));
}

// The number of handles open to the kernel object of handle, this one included.
ULONG HandleCountOf(HANDLE handle) {
    struct {
        ULONG attributes;
        ACCESS_MASK grantedAccess;
        ULONG handleCount;
        ULONG pointerCount;
        ULONG reserved[10];
    } basic = {};
    ULONG length = 0;
    if (NtQueryObject(handle, ObjectBasicInformation, &basic, sizeof basic, &length) != 0) return 0;
    return basic.handleCount;
}

// Threads race to take a fresh lock. An unnamed lock with two mutexes would let two threads
// in at once; a named one would keep a second handle open.
TEST_F(NamedLockTest, ThreadsTakingAFreshLockShareOneMutex) {
    std::atomic<bool> overlapped{false};
    for (int round = 0; round < 40; ++round) {
        const std::string base = test::UniqueName("Fresh");
        NamedLock lock(key.Key());
        if (round % 2 == 1) lock.SetObjectName(base);
        const TestEvent start("Start");
        std::atomic<int> inside{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&] {
                WaitForSingleObject(start.Get(), 5000);
                lock.Lock();
                if (++inside > 1) overlapped = true;
                Sleep(1);
                --inside;
                lock.Unlock();
            });
        }
        SetEvent(start.Get());
        for (auto& thread : threads) thread.join();
        if (round % 2 == 1) {
            const win::UniqueHandle probe(
                OpenMutexA(SYNCHRONIZE, FALSE, ("Global\\wmi_" + base).c_str()));
            ASSERT_TRUE(probe);
            EXPECT_EQ(HandleCountOf(probe.get()), 2u) << "the lock's one handle and the probe";
        }
    }
    EXPECT_FALSE(overlapped);
    EXPECT_TRUE(FailureLines().empty());
}

// Another process is kept out by the same named mutex (the name is the first case's); a holder
// killed while holding it leaves it abandoned, which the lock logs once and takes all the same.
TEST_F(NamedLockTest, MutexOfAKilledOwnerIsTakenAndReleased) {
    const std::string base = test::UniqueName("Lock");
    const std::string fullName = "Global\\wmi_" + base;
    const TestEvent ready("Ready");
    const TestEvent releasing("Releasing");
    HelperProcess holder("lock " + base + " " + ready.Name() + " " + releasing.Name() + " 60000");
    ASSERT_TRUE(holder.Started());
    // The mutex outlives its killed owner only while another handle keeps it.
    NamedLock lock(key.Key());
    lock.SetObjectName(base);
    ASSERT_TRUE(lock.Open());
    ASSERT_TRUE(ready.WaitFor(10000)) << "the helper did not take the lock";
    holder.Kill();
    ASSERT_NE(holder.WaitForExit(5000), static_cast<DWORD>(STILL_ACTIVE));

    lock.Lock();
    // The abandoned wait is logged once, and the lock is held all the same.
    const auto failures = FailureLines();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind(kFailurePrefix, 0), 0u) << failures[0];
    EXPECT_TRUE(test::OwnedForAnotherThread(fullName));
    lock.Unlock();
    EXPECT_FALSE(test::OwnedForAnotherThread(fullName));
    EXPECT_EQ(FailureLines().size(), 1u);
}

}  // namespace
}  // namespace norv
