#include "repository/repository.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace norvwmi {
namespace {

// A few of WMI's system classes, declared the way WMI has them.
constexpr std::string_view kSystemClasses = R"(
[abstract] class __SystemClass { };
[abstract] class __Provider : __SystemClass { [key] string Name; };
class __Win32Provider : __Provider { string CLSID; };
[abstract] class __ProviderRegistration : __SystemClass { [key] __Provider ref Provider; };
class __InstanceProviderRegistration : __ProviderRegistration { boolean SupportsGet = FALSE; };
class __MethodProviderRegistration : __ProviderRegistration { };
)";

MofDocument Read(std::string_view text, std::string_view file = "test.mof") {
    MofReadResult result = ReadMof(text, file);
    EXPECT_FALSE(result.error.has_value())
        << (result.error ? FormatMofError(*result.error) : std::string());
    return result.document;
}

Repository WithSystemClasses() {
    Repository repository;
    const std::optional<MofError> error =
        repository.AddSystemClasses(Read(kSystemClasses, "system.mof"));
    EXPECT_FALSE(error.has_value()) << (error ? FormatMofError(*error) : std::string());
    return repository;
}

void AddValid(Repository& repository, std::string_view text, std::string_view file = "test.mof") {
    const std::optional<MofError> error = repository.AddMof(text, file);
    EXPECT_FALSE(error.has_value()) << (error ? FormatMofError(*error) : std::string());
}

std::vector<std::string> PropertyNames(const ClassDefinition& definition) {
    std::vector<std::string> names;
    for (const auto& property : definition.properties) names.push_back(property.name);
    return names;
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
        class FanInfo { [key] string InstanceName; };
        #pragma namespace("root\\CIMv2")
        class Win32_Processor { [key] string DeviceID; };)");
    EXPECT_EQ(repository.Namespaces(), (std::vector<std::string>{"root\\wmi", "root\\CIMv2"}));
    const ClassDefinition* fan = repository.FindClass("ROOT\\WMI", "faninfo");
    ASSERT_NE(fan, nullptr);
    EXPECT_EQ(fan->name, "FanInfo");
    EXPECT_EQ(fan->nameSpace, "root\\wmi");
    EXPECT_EQ(repository.FindClass("root\\cimv2", "FanInfo"), nullptr);
    EXPECT_EQ(repository.FindClass("root\\wmi", "Fan"), nullptr);
    const auto classes = repository.Classes("root\\wmi");
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes[0]->name, "TempSensorInfo");
    EXPECT_EQ(classes[1]->name, "FanInfo");
}

TEST(Repository, SubclassHoldsInheritedMembersFirstAndOverridesRedeclaredOnes) {
    Repository repository;
    AddValid(repository, R"(
        class Base {
            [key] string Id;
            [Description("base"), MaxLen(8)] string Caption = "base";
            uint16 Level = 1;
            uint32 Reset([in] boolean Hard);
        };
        class Derived : base {
            uint8 Extra;
            [MaxLen(16)] string caption;
            uint16 Level = 2;
            uint32 Reset([in] boolean Hard, [in] uint32 Delay);
            uint32 Clear();
        };
        class Leaf : Derived { };)");
    const ClassDefinition* derived = repository.FindClass("root\\default", "Derived");
    ASSERT_NE(derived, nullptr);
    EXPECT_EQ(derived->superclass, "Base");
    EXPECT_EQ(PropertyNames(*derived),
              (std::vector<std::string>{"Id", "caption", "Level", "Extra"}));
    EXPECT_TRUE(derived->properties[0].IsKey());

    const PropertyDefinition& caption = derived->properties[1];
    ASSERT_NE(caption.FindQualifier("MaxLen"), nullptr);
    EXPECT_EQ(caption.FindQualifier("MaxLen")->value, CimValue{std::uint64_t{16}});
    ASSERT_NE(caption.FindQualifier("Description"), nullptr);        // kept from Base
    EXPECT_EQ(caption.defaultValue, CimValue{std::string("base")});  // not restated: inherited
    EXPECT_EQ(derived->properties[2].defaultValue, CimValue{std::uint64_t{2}});

    ASSERT_EQ(derived->methods.size(), 2u);
    EXPECT_EQ(derived->methods[0].name, "Reset");
    EXPECT_EQ(derived->methods[0].parameters.size(), 2u);
    EXPECT_EQ(derived->methods[1].name, "Clear");

    const ClassDefinition* leaf = repository.FindClass("root\\default", "leaf");
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(PropertyNames(*leaf), PropertyNames(*derived));
    EXPECT_TRUE(repository.IsDerivedFrom("root\\default", "Leaf", "base"));
    EXPECT_FALSE(repository.IsDerivedFrom("root\\default", "Base", "Leaf"));

    // The base class itself is unchanged by its subclass.
    const ClassDefinition* base = repository.FindClass("root\\default", "Base");
    EXPECT_EQ(base->properties[1].FindQualifier("MaxLen")->value, CimValue{std::uint64_t{8}});
}

TEST(Repository, NormalisesValuesToThePropertyType) {
    Repository repository;
    AddValid(repository, R"(
        class T {
            sint8 S8; uint8 U8; sint16 S16; uint16 U16; sint32 S32; uint32 U32;
            sint64 S64; uint64 U64; real32 R32; real64 R64; boolean B; string Text;
            datetime When; char16 C1; char16 C2; uint16 Many[]; sint32 Signed[];
            string Missing;
        };
        instance of T {
            S8 = -128; U8 = 255; S16 = 32767; U16 = 0xFFFF; S32 = 5; U32 = 4294967295;
            S64 = -9223372036854775808; U64 = 18446744073709551615; R32 = 0.1; R64 = 7;
            B = FALSE; Text = "t"; When = "20240102030405.000000+060"; C1 = "A"; C2 = 0x263A;
            Many = {1, 2}; Signed = {1, -1}; Missing = NULL;
        };)");
    const auto instances = repository.Instances("root\\default", "T");
    ASSERT_EQ(instances.size(), 1u);
    const InstanceDefinition& t = *instances[0];
    EXPECT_EQ(ValueOf(t, "S8"), CimValue{std::int64_t{-128}});
    EXPECT_EQ(ValueOf(t, "U8"), CimValue{std::uint64_t{255}});
    EXPECT_EQ(ValueOf(t, "S16"), CimValue{std::int64_t{32767}});  // signed: held as int64
    EXPECT_EQ(ValueOf(t, "U16"), CimValue{std::uint64_t{65535}});
    EXPECT_EQ(ValueOf(t, "S32"), CimValue{std::int64_t{5}});
    EXPECT_EQ(ValueOf(t, "U32"), CimValue{std::uint64_t{4294967295u}});
    EXPECT_EQ(ValueOf(t, "S64"), CimValue{std::numeric_limits<std::int64_t>::min()});
    EXPECT_EQ(ValueOf(t, "U64"), CimValue{std::numeric_limits<std::uint64_t>::max()});
    EXPECT_EQ(ValueOf(t, "R32"), CimValue{static_cast<double>(0.1f)});  // float precision
    EXPECT_NE(ValueOf(t, "R32"), CimValue{0.1});
    EXPECT_EQ(ValueOf(t, "R64"), CimValue{7.0});
    EXPECT_EQ(ValueOf(t, "B"), CimValue{false});
    EXPECT_EQ(ValueOf(t, "Text"), CimValue{std::string("t")});
    EXPECT_EQ(ValueOf(t, "When"), CimValue{std::string("20240102030405.000000+060")});
    EXPECT_EQ(ValueOf(t, "C1"), CimValue{std::uint64_t{65}});
    EXPECT_EQ(ValueOf(t, "C2"), CimValue{std::uint64_t{0x263A}});
    EXPECT_EQ(ValueOf(t, "Many"),
              (CimValue{CimArray{CimValue{std::uint64_t{1}}, CimValue{std::uint64_t{2}}}}));
    EXPECT_EQ(ValueOf(t, "Signed"),
              (CimValue{CimArray{CimValue{std::int64_t{1}}, CimValue{std::int64_t{-1}}}}));
    EXPECT_TRUE(ValueOf(t, "Missing").IsNull());
}

struct InvalidCase {
    std::string_view text;
    int line;
    std::string_view message;
};

// Names the case in test lists (ctest shows it): the expected message in characters any
// runner takes, and a hash of the text to tell apart cases that expect the same message.
void PrintTo(const InvalidCase& c, std::ostream* out) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (char ch : c.text) hash = (hash ^ static_cast<unsigned char>(ch)) * 16777619u;
    for (char ch : c.message.substr(0, 48)) {
        const bool plain =
            (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        *out << (plain ? ch : '_');
    }
    *out << '_' << std::hex << hash << std::dec;
}

class RepositoryRejects : public testing::TestWithParam<InvalidCase> {};

TEST_P(RepositoryRejects, WithFileLineAndReason) {
    const InvalidCase& c = GetParam();
    SCOPED_TRACE(std::string(c.text));
    Repository repository = WithSystemClasses();
    AddValid(repository, R"(
        class Known { [key] string Name; uint8 Level; uint32 Count; sint32 Delta; string Text;
                      boolean Flag; datetime When; uint16 List[]; char16 Letter; real32 Ratio;
                      sint8 Small; sint64 Big; object Embedded; };
        [abstract] class Abstract { [key] string Name; };)",
             "known.mof");
    const std::optional<MofError> error = repository.AddMof(c.text, "bad.mof");
    ASSERT_TRUE(error.has_value()) << c.text;
    EXPECT_EQ(error->file, "bad.mof");
    EXPECT_EQ(error->line, c.line) << error->message;
    EXPECT_NE(error->message.find(c.message), std::string::npos)
        << "message: " << error->message << "\nwanted: " << c.message;
}

// clang-format off
const InvalidCase kInvalid[] = {
    // classes
    {"class A : Missing { };", 1, "superclass 'Missing' of class 'A' is not declared"},
    {"class A { };\nclass a { };", 2, "class 'a' is already declared at bad.mof:1"},
    {"\nclass KNOWN { };", 2, "class 'KNOWN' is already declared at known.mof:2"},
    {"class A { [key] string Id; };\nclass B : A {\n uint32 Id; };", 3,
     "property 'Id' of class 'B' has another type than in its superclass 'A'"},
    {"class A { string Id; };\nclass B : A { string Id[]; };", 2, "has another type"},
    {"class __Mine { };", 1, "class name '__Mine' is reserved"},
    {"class A {\n uint8 X = 300; };", 2, "default value: 300 is out of range for uint8 property 'X'"},
    {"class A { string X = 5; };", 1, "default value: an integer is not a valid value for string property 'X'"},
    {"class A { uint8 X[] = 5; };", 1, "uint8 array property 'X' needs an array value, found an integer"},
    // instances
    {"instance of Unknown { };", 1, "instance of undeclared class 'Unknown' in namespace 'root\\default'"},
    {"#pragma namespace(\"root\\\\wmi\")\ninstance of Known { };", 2, "instance of undeclared class 'Known' in namespace 'root\\wmi'"},
    {"instance of Abstract { Name = \"x\"; };", 1, "class 'Abstract' is abstract and cannot have instances"},
    {"instance of __Provider { Name = \"x\"; };", 1, "class '__Provider' is abstract"},
    {"instance of Known {\n Name = \"x\";\n Colour = 1; };", 3, "property 'Colour' is not declared in class 'Known'"},
    {"instance of Known { Level = \"5\"; };", 1, "a string is not a valid value for uint8 property 'Level'"},
    {"instance of Known { Level = 300; };", 1, "300 is out of range for uint8 property 'Level'"},
    {"instance of Known { Level = 256; };", 1, "256 is out of range for uint8 property 'Level'"},
    {"instance of Known { Level = -1; };", 1, "-1 is out of range for uint8 property 'Level'"},
    {"instance of Known { Count = -1; };", 1, "-1 is out of range for uint32 property 'Count'"},
    {"instance of Known { Count = 4294967296; };", 1, "4294967296 is out of range for uint32 property 'Count'"},
    {"instance of Known { Delta = 2147483648; };", 1, "2147483648 is out of range for sint32 property 'Delta'"},
    {"instance of Known { Delta = -2147483649; };", 1, "-2147483649 is out of range for sint32 property 'Delta'"},
    {"instance of Known { Small = -129; };", 1, "-129 is out of range for sint8 property 'Small'"},
    {"instance of Known { Big = 9223372036854775808; };", 1, "is out of range for sint64 property 'Big'"},
    {"instance of Known { Delta = 1.5; };", 1, "a real is not a valid value for sint32 property 'Delta'"},
    {"instance of Known { Count = {1}; };", 1, "an array is not a valid value for uint32 property 'Count'"},
    {"instance of Known { Text = 5; };", 1, "an integer is not a valid value for string property 'Text'"},
    {"instance of Known { Flag = 1; };", 1, "an integer is not a valid value for boolean property 'Flag'"},
    {"instance of Known { Flag = \"TRUE\"; };", 1, "a string is not a valid value for boolean property 'Flag'"},
    {"instance of Known { Text = TRUE; };", 1, "a boolean is not a valid value for string property 'Text'"},
    {"instance of Known { When = \"2024-01-02\"; };", 1, "\"2024-01-02\" is not a CIM date-time for datetime property 'When'"},
    {"instance of Known { When = \"20240102030405.000000:060\"; };", 1, "is not a CIM date-time"},
    {"instance of Known { List = 1; };", 1, "uint16 array property 'List' needs an array value, found an integer"},
    {"instance of Known { List = {1, 65536}; };", 1, "65536 is out of range for uint16 array property 'List'"},
    {"instance of Known { List = {1, \"2\"}; };", 1, "a string is not a valid value for uint16 array property 'List'"},
    {"instance of Known { Letter = \"ab\"; };", 1, "\"ab\" is not one character for char16 property 'Letter'"},
    {"instance of Known { Letter = 65536; };", 1, "65536 is out of range for char16 property 'Letter'"},
    {"instance of Known { Ratio = 1e39; };", 1, "out of range for real32 property 'Ratio'"},
    {"instance of Known { Ratio = \"1\"; };", 1, "a string is not a valid value for real32 property 'Ratio'"},
    {"instance of Known { Embedded = 1; };", 1, "embedded object values are not supported"},
    {"instance of Known { Count = $P; };", 1, "an alias reference ($P) is not a valid value for uint32 property 'Count'"},
    {"instance of Known { Name = \"a\"; };\ninstance of Known { Name = \"A\"; };", 2,
     "an instance Known.Name=\"A\" is already declared at bad.mof:1"},
    // aliases
    {"instance of __InstanceProviderRegistration { Provider = $P; };", 1,
     "alias $P is not defined (an alias must be defined before it is used, in the same file)"},
    {"instance of __InstanceProviderRegistration { Provider = $P; };\n"
     "instance of __Win32Provider as $P { Name = \"x\"; };", 1, "alias $P is not defined"},
    {"instance of __Win32Provider as $P { Name = \"x\"; };\n"
     "instance of __Win32Provider as $p { Name = \"y\"; };", 2, "alias $p is already defined at bad.mof:1"},
    {"instance of __Win32Provider as $P { CLSID = \"{0}\"; };", 1,
     "the instance aliased as $P has no value for its key 'Name'"},
    {"class Plain { string Text; };\ninstance of Plain as $P { Text = \"x\"; };", 2,
     "the instance aliased as $P has no path: its class has no key"},
    {"instance of Known as $K { Name = \"k\"; };\n"
     "instance of __InstanceProviderRegistration { Provider = $K; };", 2,
     "alias $K is an instance of 'Known', but 'Provider' refers to '__Provider'"},
    {"#pragma namespace(\"root\\\\a\")\ninstance of __Win32Provider as $P { Name = \"x\"; };\n"
     "#pragma namespace(\"root\\\\b\")\ninstance of __InstanceProviderRegistration { Provider = $P; };", 4,
     "alias $P names an instance in another namespace (root\\a)"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, RepositoryRejects, testing::ValuesIn(kInvalid));

TEST(Repository, InstanceKeysAreUniqueAcrossDocumentsIgnoringCase) {
    Repository repository;
    AddValid(repository,
             "class Pair { [key] string A; [key] uint32 B; };\n"
             "instance of Pair { A = \"x\"; B = 1; };",
             "first.mof");
    AddValid(repository, "instance of Pair { A = \"x\"; B = 2; };", "second.mof");
    const std::optional<MofError> error =
        repository.AddMof("\n\ninstance of Pair { B = 1; A = \"X\"; };", "third.mof");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error,
              (MofError{"third.mof", 3,
                        "an instance Pair.A=\"X\",B=1 is already declared at first.mof:2"}));
    // An instance without all its keys has no path, so it cannot clash.
    AddValid(repository, "instance of Pair { A = \"x\"; }; instance of Pair { A = \"x\"; };");
    EXPECT_EQ(repository.Instances("root\\default", "Pair").size(), 4u);
}

}  // namespace
}  // namespace norvwmi
