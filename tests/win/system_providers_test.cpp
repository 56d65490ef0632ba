// What is particular to the controller, domain and collection providers of the built module:
// the controller's firmware version is read from the health driver on every request, and a
// provider object whose own lock cannot be made (its name taken by an event) serves its
// requests unguarded, yet two WMI threads on it each see a list of their own. (Their instances
// are in the golden outputs; their lookups are the protocol suite's.)
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "stand_in_wmi.h"

namespace norv::test {
namespace {

class ControllerProviderTest : public StandInSuite<> {};

TEST_F(ControllerProviderTest, TheVersionIsReadAgainForEveryRequest) {
    wmi_->Serve(PlatformOf(kDefaultPlatformName));
    const auto provider = wmi_->InitializedProvider(ProviderClassNamed("NorvComputerSystemProv"));
    const auto description = [&] {
        std::vector<std::wstring> texts;
        for (const auto& o : Enumerated(provider.get()))
            texts.push_back(StringOf(o.get(), L"Description"));
        return texts;
    };
    EXPECT_EQ(description(), std::vector<std::wstring>{L"BMC 0 - IPMI v1.5 - fw v8.15"});
    wmi_->Serve(RepositoryOf({SourceFile(kServedMofName)}));
    EXPECT_EQ(description(), std::vector<std::wstring>{L"BMC 0 - IPMI v1.5 - fw v1.00"});
    wmi_->Serve(PlatformOf(kDefaultPlatformName));
    EXPECT_EQ(description(), std::vector<std::wstring>{L"BMC 0 - IPMI v1.5 - fw v8.15"});
}

// The request state lives in the provider base, which all seven classes share: one shows it.
TEST_F(ControllerProviderTest, WithoutItsLockTwoThreadsOnOneProviderEachSeeTheOneInstance) {
    wmi_->Serve(PlatformOf(kDefaultPlatformName));
    const std::string lockName = LockNameOf(ProviderClassNamed("NorvComputerSystemProv"));
    const win::UniqueHandle taken(::CreateEventA(nullptr, TRUE, FALSE, lockName.c_str()));
    ASSERT_TRUE(taken);
    const ComPtr<IWbemServices> provider =
        wmi_->InitializedProvider(ProviderClassNamed("NorvComputerSystemProv"));
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
            mistakes += hr != WBEM_S_NO_ERROR || objects.size() != 1 ||
                        objects.front()->CompareTo(0, enumerated.front().get()) != WBEM_S_SAME;
            const auto found = NewSink();
            mistakes += Get(provider.get(), path.c_str(), found.get()) != WBEM_S_NO_ERROR ||
                        found->Objects().size() != 1;
        }
        ::CoUninitialize();
    };
    std::thread one(requests);
    std::thread two(requests);
    one.join();
    two.join();
    EXPECT_EQ(mistakes, 0);
}

}  // namespace
}  // namespace norv::test
