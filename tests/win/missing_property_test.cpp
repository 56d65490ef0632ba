// An installed class that lacks a property the provider writes: the fill fails at the
// provider. An enumeration completes with WBEM_E_FAILED (the system classes' own status, the
// sensor classes' refused put), and a lookup of an instance that exists is not found.
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <string>

#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {


struct MissingPropertyCase {
    const char* label;
    ProviderClass providerClass;
    std::string_view declaration;  // removed from the shipped classes
    HRESULT enumeration;           // how an enumeration completes
    const wchar_t* path;           // of an instance the platform has
};

void PrintTo(const MissingPropertyCase& c, std::ostream* out) {
    *out << c.label;
}

class MissingPropertyTest : public ::testing::TestWithParam<MissingPropertyCase> {
protected:
    void SetUp() override {
        ASSERT_EQ(wmi_.Problem(), "");
        norvwmi::MofFile shipped = SourceFile(kShippedClasses);
        const std::size_t at = shipped.text.find(GetParam().declaration);
        ASSERT_NE(at, std::string::npos) << "the shipped classes no longer declare it";
        shipped.text.erase(at, GetParam().declaration.size());
        wmi_.Serve(RepositoryOf({shipped, SourceFile(kHealthClasses), SourceFile(kHostDirectives),
                                 SourceFile(kDefaultPlatform)}));
        AgeTheCaches();
        provider_ = wmi_.InitializedProvider(win::GuidOf(IdentityOf(GetParam().providerClass).clsid));
        ASSERT_TRUE(provider_);
    }
    void TearDown() override { AgeTheCaches(); }

    StandInWmi wmi_;
    win::ComPtr<IWbemServices> provider_;
};

TEST_P(MissingPropertyTest, TheEnumerationFailsAndTheLookupFindsNothing) {
    const auto listed = NewSink();
    const HRESULT hr = AsClient(
        [&] { return provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, listed.get()); });
    EXPECT_EQ(hr, GetParam().enumeration);
    EXPECT_EQ(CompletionProblems(hr, *listed.get()), "");
    EXPECT_TRUE(listed->Objects().empty());

    const auto found = NewSink();
    const auto path = Bstr(GetParam().path);
    EXPECT_EQ(AsClient([&] { return provider_->GetObjectAsync(path.get(), 0, nullptr, found.get()); }),
              kWbemNotFound);
    EXPECT_TRUE(found->Events().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Classes, MissingPropertyTest,
    ::testing::Values(
        MissingPropertyCase{"ComputerSystem", ProviderClass::ComputerSystem,
                            "    [Description(\"'BMC ' and the controller instance number.\")]\n"
                            "    string Caption;\n",
                            kWbemFailed,
                            L"ComputerSystem.CreationClassName=\"ComputerSystem\","
                            L"Name=\"IPMI Controller 0\""},
        // The refused put's status: the stand-in refuses an undeclared property as WMI does.
        MissingPropertyCase{"Sensor", ProviderClass::Sensor,
                            "    [Description(\"Sensor type text followed by the device id in "
                            "parentheses.\")]\n    string Caption;\n",
                            kWbemFailed,
                            L"Sensor.CreationClassName=\"Sensor\",DeviceID=\"1.0.0\","
                            L"SystemCreationClassName=\"ComputerSystem\","
                            L"SystemName=\"IPMI Controller 0\""}),
    [](const auto& test) { return std::string(test.param.label); });

}  // namespace
}  // namespace norv::test
