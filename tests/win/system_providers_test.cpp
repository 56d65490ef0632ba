// What is particular to the controller provider of the built module: its firmware version is
// read from the health driver on every request. (The controller, domain and collection
// instances are in the golden outputs; their lookups are the protocol suite's.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stand_in_wmi.h"

namespace norv::test {
namespace {

class ControllerFirmwareTest : public StandInSuite<> {};

TEST_F(ControllerFirmwareTest, TheVersionIsReadAgainForEveryRequest) {
    wmi_->Serve(DefaultPlatformNamespaces());
    const auto provider = wmi_->InitializedProvider(ProviderClass::ComputerSystem);
    const auto description = [&] { return StringsOf(Enumerated(provider.get()), L"Description"); };
    EXPECT_EQ(description(), std::vector<std::wstring>{L"BMC 0 - IPMI v1.5 - fw v8.15"});
    const std::string_view withoutDriver[] = {kShippedClasses};
    wmi_->Serve(LoadNamespaces(withoutDriver));
    EXPECT_EQ(description(), std::vector<std::wstring>{L"BMC 0 - IPMI v1.5 - fw v1.00"});
    wmi_->Serve(DefaultPlatformNamespaces());
    EXPECT_EQ(description(), std::vector<std::wstring>{L"BMC 0 - IPMI v1.5 - fw v8.15"});
}

}  // namespace
}  // namespace norv::test
