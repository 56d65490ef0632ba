// Reading MOF into the repository: the constructs the shipped MOF uses, inheritance, values
// normalised to their property's type, and faults stopped with file, line and reason
// (instance keys unique across documents, ignoring case, among them).
#include "repository/repository.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "repository/mof_text.h"
#include "support/test_files.h"

namespace norvwmi {
namespace {

TEST(Repository, SubclassHoldsInheritedMembersFirstAndOverridesRedeclaredOnes) {
    const Repository repository = testing::TestRepository("known.mof", true);
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
    norv::test::ExpectCases("mof_reading.txt", [](const std::string& text) {
        Repository repository = testing::TestRepository("known.mof", true);
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
