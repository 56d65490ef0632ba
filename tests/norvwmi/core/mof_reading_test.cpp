// Reading MOF into the repository: the constructs the shipped MOF uses, inheritance, values
// normalised to their property's type, and faults stopped with file, line and reason
// (instance keys unique across documents, ignoring case, among them).
#include "repository/repository.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "repository/mof_text.h"

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
            Base ref Owner;
            uint32 Reset([in] boolean Hard, [in] uint32 Delay);
        };)");
    const ClassDefinition* derived = repository.FindClass("root\\default", "Derived");
    ASSERT_NE(derived, nullptr);
    EXPECT_EQ(derived->superclass, "Base");
    ASSERT_EQ(derived->properties.size(), 4u);
    EXPECT_EQ(derived->properties[3].type, CimType::Reference);
    EXPECT_EQ(derived->properties[3].referenceClass, "Base");
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

// A value as read and the kind it is held as: signed integers as int64, unsigned ones and
// char16 as uint64, reals as double (real32 at float precision).
std::string Held(const CimValue& value) {
    constexpr const char* kKinds[] = {"null", "bool", "int64", "uint64", "double", "string"};
    if (const auto* array = std::get_if<CimArray>(&value.data)) {
        std::string elements;
        for (const CimValue& element : *array)
            elements += (elements.empty() ? "" : ", ") + Held(element);
        return "{" + elements + "}";
    }
    const std::size_t kind = value.data.index();
    std::string text = MofLiteral(value);
    if (const auto* real = std::get_if<double>(&value.data)) {
        char exact[32];
        std::snprintf(exact, sizeof exact, "%.17g", *real);
        text = exact;
    }
    return text + (kind < std::size(kKinds) ? std::string(" ") + kKinds[kind] : " other");
}

// Documents read after the system classes and known.mof, and their answers, are
// tests/data/norvwmi/mof_reading.txt: the values of an instance read, or where a fault stops.
TEST(Repository, ReadsValuesByTheirPropertyTypesAndStopsAtTheFirstFault) {
    testing::ExpectCases("mof_reading.txt", [](const std::string& text) {
        Repository repository;
        EXPECT_FALSE(repository.AddSystemClasses(ReadMof(kSystemClasses, "system.mof").document));
        AddValid(
            repository,
            "class Known { [key] string Name; uint8 Level; sint32 Delta; boolean Flag;\n"
            "              datetime When; uint16 List[]; char16 Letter; sint8 S8;\n"
            "              sint64 S64; uint64 U64; real32 R32; real64 R64; sint32 Signed[]; };\n"
            "instance of Known { Name = \"k\"; };",
            "known.mof");
        const std::optional<MofError> error = repository.AddMof(text, "bad.mof");
        if (error) return FormatMofError(*error);
        std::string values = "read:";
        for (const PropertyValue& value :
             repository.Instances("root\\default", "Known").back()->values)
            values += " " + value.name + " = " + Held(value.value) + ";";
        return values;
    });
}

}  // namespace
}  // namespace norvwmi
