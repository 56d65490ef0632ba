// A provider object whose own lock cannot be made (its name is taken by an event) serves its
// requests unguarded. Two WMI threads on that one object must still each see a list of their
// own: every enumeration yields the one instance, every lookup finds it.
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using win::ComPtr;

constexpr int kRequestsPerThread = 150;

struct LockTakenCase {
    const char* label;
    ProviderClass providerClass;
};

void PrintTo(const LockTakenCase& tested, std::ostream* out) {
    *out << tested.label;
}

class ProviderLockTaken : public ::testing::TestWithParam<LockTakenCase> {
protected:
    static void SetUpTestSuite() { wmi_ = new StandInWmi(); }
    static void TearDownTestSuite() {
        delete wmi_;
        wmi_ = nullptr;
    }

    const ProviderClassIdentity& Identity() const { return IdentityOf(GetParam().providerClass); }

    inline static StandInWmi* wmi_ = nullptr;
};

// What one thread saw go wrong, counted rather than asserted so that both threads finish.
struct Mistakes {
    int enumerations = 0;
    int lookups = 0;
};

TEST_P(ProviderLockTaken, TwoThreadsOnOneProviderObjectEachSeeTheOneInstance) {
    ASSERT_EQ(wmi_->Problem(), "");
    wmi_->Serve(DefaultPlatformNamespaces());
    const std::string lockName = "Global\\wmi_" + std::string(Identity().className);
    const win::UniqueHandle taken(::CreateEventA(nullptr, TRUE, FALSE, lockName.c_str()));
    ASSERT_TRUE(taken);
    ASSERT_FALSE(win::UniqueHandle(::CreateMutexA(nullptr, FALSE, lockName.c_str())))
        << "the provider's lock could still be made";

    const ComPtr<IWbemServices> provider =
        wmi_->InitializedProvider(win::GuidOf(Identity().clsid));
    ASSERT_TRUE(provider);
    const auto className = Bstr(Wide(Identity().servedClass).c_str());
    const auto sink = NewSink();
    ASSERT_EQ(AsClient([&] {
                  return provider->CreateInstanceEnumAsync(className.get(), 0, nullptr, sink.get());
              }),
              WBEM_S_NO_ERROR);
    ASSERT_EQ(sink->Objects().size(), 1u);
    const ComPtr<IWbemClassObject> expected = sink->Objects().front();
    const std::wstring path = StringOf(expected.get(), L"__RELPATH");
    const auto pathText = Bstr(path.c_str());

    const auto requests = [&](Mistakes& mistakes) {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; i < kRequestsPerThread; ++i) {
            const auto enumerated = NewSink();
            const HRESULT listed = AsClient([&] {
                return provider->CreateInstanceEnumAsync(className.get(), 0, nullptr,
                                                         enumerated.get());
            });
            const auto objects = enumerated->Objects();
            if (listed != WBEM_S_NO_ERROR || objects.size() != 1 ||
                objects.front()->CompareTo(0, expected.get()) != WBEM_S_SAME) {
                ++mistakes.enumerations;
            }
            const auto found = NewSink();
            const HRESULT looked = AsClient(
                [&] { return provider->GetObjectAsync(pathText.get(), 0, nullptr, found.get()); });
            if (looked != WBEM_S_NO_ERROR || found->Objects().size() != 1) ++mistakes.lookups;
        }
        ::CoUninitialize();
    };
    Mistakes first;
    Mistakes second;
    std::thread one(requests, std::ref(first));
    std::thread two(requests, std::ref(second));
    one.join();
    two.join();
    EXPECT_EQ(first.enumerations + second.enumerations, 0);
    EXPECT_EQ(first.lookups + second.lookups, 0);
}

INSTANTIATE_TEST_SUITE_P(Classes, ProviderLockTaken,
                         ::testing::Values(LockTakenCase{"ComputerSystem",
                                                         ProviderClass::ComputerSystem},
                                           LockTakenCase{"AdminDomain", ProviderClass::AdminDomain},
                                           LockTakenCase{"SystemSpecificCollection",
                                                         ProviderClass::SystemSpecificCollection}),
                         [](const auto& tested) { return std::string(tested.param.label); });

}  // namespace
}  // namespace norv::test
