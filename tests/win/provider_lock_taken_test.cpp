// A provider object whose own lock cannot be made (its name is taken by an event) serves its
// requests unguarded. Two WMI threads on that one object must still each see a list of their
// own: every enumeration yields the one instance, every lookup finds it.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "stand_in_wmi.h"

namespace norv::test {
namespace {

class ProviderLockTaken : public StandInSuite<::testing::TestWithParam<ProviderClass>> {};

TEST_P(ProviderLockTaken, TwoThreadsOnOneProviderObjectEachSeeTheOneInstance) {
    wmi_->Serve(DefaultPlatformNamespaces());
    const std::string lockName = LockNameOf(GetParam());
    const win::UniqueHandle taken(::CreateEventA(nullptr, TRUE, FALSE, lockName.c_str()));
    ASSERT_TRUE(taken);
    ASSERT_FALSE(win::UniqueHandle(::CreateMutexA(nullptr, FALSE, lockName.c_str())))
        << "the provider's lock could still be made";
    const ComPtr<IWbemServices> provider = wmi_->InitializedProvider(GetParam());
    const auto enumerated = Enumerated(provider.get());
    ASSERT_EQ(enumerated.size(), 1u);
    const std::wstring path = StringOf(enumerated.front().get(), L"__RELPATH");

    // What the threads saw go wrong, counted rather than asserted so that both finish.
    std::atomic<int> mistakes{0};
    const auto requests = [&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; i < 150; ++i) {
            const auto listed = NewSink();
            const HRESULT hr = Enumerate(provider.get(), listed.get());
            const auto objects = listed->Objects();
            if (hr != WBEM_S_NO_ERROR || objects.size() != 1 ||
                objects.front()->CompareTo(0, enumerated.front().get()) != WBEM_S_SAME) {
                ++mistakes;
            }
            const auto found = NewSink();
            if (Get(provider.get(), path.c_str(), found.get()) != WBEM_S_NO_ERROR ||
                found->Objects().size() != 1) {
                ++mistakes;
            }
        }
        ::CoUninitialize();
    };
    std::thread one(requests);
    std::thread two(requests);
    one.join();
    two.join();
    EXPECT_EQ(mistakes, 0);
}

INSTANTIATE_TEST_SUITE_P(Classes, ProviderLockTaken,
                         ::testing::Values(ProviderClass::ComputerSystem,
                                           ProviderClass::AdminDomain,
                                           ProviderClass::SystemSpecificCollection),
                         [](const auto& test) {
                             return std::string(IdentityOf(test.param).servedClass);
                         });

}  // namespace
}  // namespace norv::test
