// An installed class that lacks a property the provider writes: the fill fails at the
// provider. An enumeration completes with WBEM_E_FAILED (the system classes' own status, the
// sensor classes' refused put), and a lookup of an instance that exists is not found.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "stand_in_wmi.h"

namespace norv::test {
namespace {

struct MissingPropertyCase {
    const char* label;
    ProviderClass providerClass;
    std::string_view declaration;  // removed from the shipped classes
    const wchar_t* path;           // of an instance the platform has
};

void PrintTo(const MissingPropertyCase& c, std::ostream* out) {
    *out << c.label;
}

class MissingPropertyTest : public StandInSuite<::testing::TestWithParam<MissingPropertyCase>> {};

TEST_P(MissingPropertyTest, TheEnumerationFailsAndTheLookupFindsNothing) {
    norvwmi::MofFile shipped = SourceFile(kShippedClasses);
    const std::size_t at = shipped.text.find(GetParam().declaration);
    ASSERT_NE(at, std::string::npos) << "the shipped classes no longer declare it";
    shipped.text.erase(at, GetParam().declaration.size());
    wmi_->Serve(RepositoryOf({shipped, SourceFile(kHealthClasses), SourceFile(kHostDirectives),
                              SourceFile(kDefaultPlatform)}));
    AgeTheCaches();
    const auto provider = wmi_->InitializedProvider(GetParam().providerClass);
    ASSERT_TRUE(provider);
    const auto listed = NewSink();
    const HRESULT hr = Enumerate(provider.get(), listed.get());
    EXPECT_EQ(hr, kWbemFailed);
    EXPECT_EQ(CompletionProblems(hr, *listed.get()), "");
    EXPECT_TRUE(listed->Objects().empty());
    ExpectNotFound(provider.get(), GetParam().path);
    wmi_->Serve(DefaultPlatformNamespaces());
    AgeTheCaches();
}

INSTANTIATE_TEST_SUITE_P(
    Classes, MissingPropertyTest,
    ::testing::Values(
        MissingPropertyCase{"ComputerSystem", ProviderClass::ComputerSystem,
                            "    [Description(\"'BMC ' and the controller instance number.\")]\n"
                            "    string Caption;\n",
                            L"ComputerSystem.CreationClassName=\"ComputerSystem\","
                            L"Name=\"IPMI Controller 0\""},
        // The stand-in refuses an undeclared property as WMI does.
        MissingPropertyCase{"Sensor", ProviderClass::Sensor,
                            "    [Description(\"Sensor type text followed by the device id in "
                            "parentheses.\")]\n    string Caption;\n",
                            L"Sensor.CreationClassName=\"Sensor\",DeviceID=\"1.0.0\","
                            L"SystemCreationClassName=\"ComputerSystem\","
                            L"SystemName=\"IPMI Controller 0\""}),
    [](const auto& test) { return std::string(test.param.label); });

}  // namespace
}  // namespace norv::test
