// Reading MOF into the repository: the constructs the shipped MOF uses, inheritance, values
// normalised to their property's type, and faults stopped with file, line and reason
// (instance keys unique across documents, ignoring case, among them).
#include "repository/repository.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "support/case_file.h"

namespace norvwmi {
namespace {

// A few of WMI's system classes, declared the way WMI has them.
constexpr std::string_view kSystemClasses = R"(
[abstract] class __SystemClass { };
[abstract] class __Provider : __SystemClass { [key] string Name; };
class __Win32Provider : __Provider { string CLSID; };
[abstract] class __ProviderRegistration : __SystemClass { [key] __Provider ref Provider; };
class __InstanceProviderRegistration : __ProviderRegistration { boolean SupportsGet = FALSE; };
)";

void AddValid(Repository& repository, std::string_view text, std::string_view file = "test.mof") {
    const std::optional<MofError> error = repository.AddMof(text, file);
    EXPECT_FALSE(error.has_value()) << (error ? FormatMofError(*error) : std::string());
}

const CimValue& ValueOf(const InstanceDefinition& instance, std::string_view name) {
    for (const PropertyValue& value : instance.values)
        if (value.name == name) return value.value;
    static const CimValue kMissing{std::string("<missing>")};
    return kMissing;
}

TEST(Repository, FindsClassesByNamespaceAndNameWithoutRegardToCase) {
    Repository repository;
    AddValid(repository, R"(#pragma namespace("root\\wmi")
        class TempSensorInfo { [key] string InstanceName; };
        #pragma namespace("root\\CIMv2")
        class Win32_Processor { [key] string DeviceID; };)");
    EXPECT_EQ(repository.Namespaces(), (std::vector<std::string>{"root\\wmi", "root\\CIMv2"}));
    const ClassDefinition* temperature = repository.FindClass("ROOT\\WMI", "tempsensorinfo");
    ASSERT_NE(temperature, nullptr);
    EXPECT_EQ(temperature->name, "TempSensorInfo");
    EXPECT_EQ(repository.FindClass("root\\cimv2", "TempSensorInfo"), nullptr);
}

TEST(Repository, SubclassHoldsInheritedMembersFirstAndOverridesRedeclaredOnes) {
    Repository repository;
    AddValid(repository, R"(
        class Base {
            [key] string Id;
            [Description("base"), MaxLen(8)] string Caption = "base";
            uint32 Reset([in] boolean Hard);
        };
        class Derived : base {
            uint8 Extra;
            [MaxLen(16)] string caption;
            uint32 Reset([in] boolean Hard, [in] uint32 Delay);
        };)");
    const ClassDefinition* derived = repository.FindClass("root\\default", "Derived");
    ASSERT_NE(derived, nullptr);
    EXPECT_EQ(derived->superclass, "Base");
    ASSERT_EQ(derived->properties.size(), 3u);
    EXPECT_EQ(derived->properties[0].name, "Id");
    EXPECT_TRUE(derived->properties[0].IsKey());
    const PropertyDefinition& caption = derived->properties[1];
    EXPECT_EQ(caption.name, "caption");
    EXPECT_EQ(caption.FindQualifier("MaxLen")->value, CimValue{std::uint64_t{16}});
    EXPECT_NE(caption.FindQualifier("Description"), nullptr);        // kept from Base
    EXPECT_EQ(caption.defaultValue, CimValue{std::string("base")});  // inherited
    ASSERT_EQ(derived->methods.size(), 1u);
    EXPECT_EQ(derived->methods[0].parameters.size(), 2u);
    EXPECT_TRUE(repository.IsDerivedFrom("root\\default", "Derived", "base"));
    EXPECT_FALSE(repository.IsDerivedFrom("root\\default", "Base", "Derived"));
}

TEST(Repository, NormalisesValuesToThePropertyType) {
    Repository repository;
    AddValid(repository, R"(
        class Base { };
        class T {
            sint8 S8; uint16 U16; sint64 S64; uint64 U64; real32 R32; real64 R64;
            char16 C; uint16 Many[]; sint32 Signed[]; string Missing; Base ref Owner;
        };
        instance of T {
            S8 = -128; U16 = 0xFFFF; S64 = -9223372036854775808; U64 = 18446744073709551615;
            R32 = 0.1; R64 = 7; C = "A"; Many = {1, 2}; Signed = {1, -1}; Missing = NULL;
        };)");
    const auto instances = repository.Instances("root\\default", "T");
    ASSERT_EQ(instances.size(), 1u);
    const InstanceDefinition& t = *instances[0];
    EXPECT_EQ(ValueOf(t, "S8"), CimValue{std::int64_t{-128}});  // signed: held as int64
    EXPECT_EQ(ValueOf(t, "U16"), CimValue{std::uint64_t{65535}});
    EXPECT_EQ(ValueOf(t, "S64"), CimValue{std::numeric_limits<std::int64_t>::min()});
    EXPECT_EQ(ValueOf(t, "U64"), CimValue{std::numeric_limits<std::uint64_t>::max()});
    EXPECT_EQ(ValueOf(t, "R32"), CimValue{static_cast<double>(0.1f)});  // float precision
    EXPECT_EQ(ValueOf(t, "R64"), CimValue{7.0});
    EXPECT_EQ(ValueOf(t, "C"), CimValue{std::uint64_t{65}});
    EXPECT_EQ(ValueOf(t, "Many"),
              (CimValue{CimArray{CimValue{std::uint64_t{1}}, CimValue{std::uint64_t{2}}}}));
    EXPECT_EQ(ValueOf(t, "Signed"),
              (CimValue{CimArray{CimValue{std::int64_t{1}}, CimValue{std::int64_t{-1}}}}));
    EXPECT_TRUE(ValueOf(t, "Missing").IsNull());
    const PropertyDefinition& owner = repository.FindClass("root\\default", "T")->properties[10];
    EXPECT_EQ(owner.type, CimType::Reference);
    EXPECT_EQ(owner.referenceClass, "Base");
}

// The faults and their answers are in tests/data/norvwmi/mof_faults.txt.
TEST(Repository, StopsAtTheFirstFaultWithFileLineAndReason) {
    testing::ExpectCases("mof_faults.txt", [](const std::string& text) {
        Repository repository;
        EXPECT_FALSE(repository.AddSystemClasses(ReadMof(kSystemClasses, "system.mof").document));
        AddValid(repository,
                 "class Known { [key] string Name; uint8 Level; sint32 Delta; boolean Flag;\n"
                 "              datetime When; uint16 List[]; char16 Letter; };\n"
                 "instance of Known { Name = \"k\"; };",
                 "known.mof");
        const std::optional<MofError> error = repository.AddMof(text, "bad.mof");
        return error ? FormatMofError(*error) : std::string("read");
    });
}

}  // namespace
}  // namespace norvwmi
