#include "repository/mof_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace norvwmi {
namespace {

MofDocument ReadValid(std::string_view text) {
    MofReadResult result = ReadMof(text, "test.mof");
    EXPECT_FALSE(result.error.has_value())
        << (result.error ? FormatMofError(*result.error) : std::string());
    return result.document;
}

struct MalformedCase {
    std::string_view text;
    int line;
    std::string_view message;  // a fragment of the error message
};

// Names the case in test lists (ctest shows it): the expected message in characters any
// runner takes, and a hash of the text to tell apart cases that expect the same message.
void PrintTo(const MalformedCase& c, std::ostream* out) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (char ch : c.text) hash = (hash ^ static_cast<unsigned char>(ch)) * 16777619u;
    for (char ch : c.message.substr(0, 48)) {
        const bool plain =
            (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        *out << (plain ? ch : '_');
    }
    *out << '_' << std::hex << hash << std::dec;
}

class MofReaderMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(MofReaderMalformed, StopsWithFileLineAndWhatWasExpected) {
    const MalformedCase& c = GetParam();
    SCOPED_TRACE(std::string(c.text));
    MofReadResult result = ReadMof(c.text, "bad.mof");
    ASSERT_TRUE(result.error.has_value()) << c.text;
    EXPECT_EQ(result.error->file, "bad.mof");
    EXPECT_EQ(result.error->line, c.line) << result.error->message;
    EXPECT_NE(result.error->message.find(c.message), std::string::npos)
        << "message: " << result.error->message << "\nwanted: " << c.message;
    EXPECT_TRUE(result.document.classes.empty());
    EXPECT_TRUE(result.document.instances.empty());
}

// clang-format off
const MalformedCase kMalformed[] = {
    // statements
    {"class A {\n  uint32 X\n};", 3, "expected ';' after property declaration, found '}'"},
    {"class A { uint32 X; }", 1, "expected ';' after the class declaration, found end of file"},
    {"class A {\n uint32 X;\n", 3, "expected '}' to close class 'A', found end of file"},
    {"class { };", 1, "expected a class name after 'class', found '{'"},
    {"class A : { };", 1, "expected a superclass name after ':', found '{'"},
    {"class A uint32 X; };", 1, "expected '{' to open class 'A', found 'uint32'"},
    {"qualifier Key : boolean;", 1, "expected 'class', 'instance of' or '#pragma', found 'qualifier'"},
    {"[key] uint32 X;", 1, "expected 'class' after a qualifier list, found 'uint32'"},
    {"[Locale(1033)]\ninstance of A { };", 2, "qualifiers on an instance are not supported"},
    {"class A {};\n}", 2, "expected 'class', 'instance of' or '#pragma', found '}'"},
    // properties and types
    {"class A {\n uint128 X;\n};", 2, "unknown type 'uint128'"},
    {"class A { void X; };", 1, "unknown type 'void'"},
    {"class A { uint32 ref X; };", 1, "a reference needs a class name before 'ref', found type 'uint32'"},
    {"class A { B ref; };", 1, "expected a name after type 'B ref', found ';'"},
    {"class A { uint32; };", 1, "expected a name after type 'uint32', found ';'"},
    {"class A { uint32 X[; };", 1, "expected an array size or ']', found ';'"},
    {"class A { uint32 X[0]; };", 1, "an array size must be a positive integer"},
    {"class A { uint32 X[-2]; };", 1, "an array size must be a positive integer"},
    {"class A { uint32 X = ; };", 1, "expected a value, found ';'"},
    {"class A { uint32 X = $B; };", 1, "an alias reference ($B) is allowed only as a value in an instance"},
    {"class A {\n uint32 X;\n uint32 x;\n};", 3, "property 'x' is declared twice in class 'A'"},
    {"class A { 5 X; };", 1, "expected a property or method declaration, found '5'"},
    // qualifiers
    {"class A { [key uint32 X; };", 1, "expected ',' or ']' in the qualifier list, found 'uint32'"},
    {"class A { [] uint32 X; };", 1, "expected a qualifier name, found ']'"},
    {"class A { [key,\n Key] uint32 X; };", 2, "duplicate qualifier 'Key'"},
    {"class A { [key : Forever] uint32 X; };", 1, "unknown qualifier flavor 'Forever'"},
    {"class A { [key :] uint32 X; };", 1, "expected a qualifier flavor after ':', found ']'"},
    {"class A { [MaxLen(64] string X; };", 1, "expected ')' after the qualifier value, found ']'"},
    {"class A { [Values({\"a\"})] string X; };", 1, "expected a value, found '{'"},
    {"class A { [Description($D)] string X; };", 1, "is allowed only as a value in an instance"},
    // methods and parameters
    {"class A { uint32 M(uint32 a); };", 1, "parameter 'a' of method 'M' needs an [in] or [out] qualifier"},
    {"class A { uint32 M([in] uint32 a,\n [out] string A); };", 2, "parameter 'A' is declared twice in method 'M'"},
    {"class A { uint32 M([in] uint32 a; };", 1, "expected ',' or ')' in the parameters of 'M', found ';'"},
    {"class A { uint32 M([in] uint32 a) };", 1, "expected ';' after the method declaration, found '}'"},
    {"class A { uint32 M([in] uint32 a = 1); };", 1, "expected ',' or ')' in the parameters of 'M', found '='"},
    {"class A { B ref M(); };", 1, "method 'M' cannot return a reference"},
    {"class A { uint32 M(); uint32 m(); };", 1, "method 'm' is declared twice in class 'A'"},
    // instances and values
    {"instance A { };", 1, "expected 'of' after 'instance', found 'A'"},
    {"instance of { };", 1, "expected a class name after 'instance of', found '{'"},
    {"instance of A as B { };", 1, "expected an alias ($Name) after 'as', found 'B'"},
    {"instance of A { X = 1 };", 1, "expected ';' after the value of 'X', found '}'"},
    {"instance of A { X 1; };", 1, "expected '=' after property name 'X', found '1'"},
    {"instance of A { X = 1; }", 1, "expected ';' after the instance declaration, found end of file"},
    {"instance of A { X = 1;", 1, "expected '}' to close the instance of 'A', found end of file"},
    {"instance of A { 1 = 1; };", 1, "expected a property name in the instance of 'A', found '1'"},
    {"instance of A {\n X = 1;\n x = 2;\n};", 3, "property 'x' is given twice in the instance of 'A'"},
    {"instance of A { X = {1, 2; };", 1, "expected ',' or '}' in the array value, found ';'"},
    {"instance of A { X = {1, }; };", 1, "expected a value, found '}'"},
    {"instance of A { X = {{1}}; };", 1, "arrays cannot be nested"},
    {"instance of A { X = {1, NULL}; };", 1, "NULL is not allowed inside an array"},
    {"instance of A { X = yes; };", 1, "expected a value, found 'yes'"},
    {"instance of A { X = instance of B {}; };", 1, "expected a value, found 'instance'"},
    // pragmas
    {"#pragma include(\"other.mof\")", 1, "unsupported #pragma 'include'"},
    {"#pragma deleteclass(\"A\", NOFAIL)", 1, "unsupported #pragma 'deleteclass'"},
    {"#pragma namespace(1)", 1, "#pragma namespace needs one string argument"},
    {"#pragma namespace", 1, "#pragma namespace needs one string argument"},
    {"#pragma namespace(\"root\\\\\\\\wmi\")", 1, "invalid namespace \"root\\\\wmi\""},
    {"#pragma namespace(\"root\\\\wmi\", )", 1, "expected a #pragma argument, found ')'"},
    {"#pragma namespace(\"root\\\\wmi\"", 1, "expected ',' or ')' in the #pragma arguments, found end of file"},
    {"#pragma", 1, "expected a pragma name after '#pragma', found end of file"},
    {"#define X 1", 1, "expected '#pragma', found '#define'"},
    // tokens
    {"instance of A {\n X = \"abc };", 2, "unterminated string"},
    {"instance of A { X = \"ab\nc\"; };", 1, "a string cannot span lines"},
    {"instance of A { X = \"a\\qb\"; };", 1, "invalid escape sequence '\\q' in a string"},
    {"instance of A { X = \"\\x\"; };", 1, "expected hex digits after '\\x' in a string"},
    {"instance of A { X = \"\\x0\"; };", 1, "'\\x0' (NUL) is not allowed in a string"},
    {"instance of A { X = \"\\xD800\"; };", 1, "lone UTF-16 surrogate"},
    {"instance of A { X = \"\xC3\"; };", 1, "invalid UTF-8 in a string"},
    {"instance of A { X = \"\xC0\xAF\"; };", 1, "invalid UTF-8 in a string"},
    {"instance of A { X = \"a\x01\"; };", 1, "control character 0x01 in a string"},
    {"\n\n/* never\n closed", 3, "unterminated comment"},
    {"instance of A { X = 0755; };", 1, "leading zeros are not allowed in '0755'"},
    {"instance of A { X = 12ab; };", 1, "malformed number '12ab'"},
    {"instance of A { X = 1.2.3; };", 1, "malformed number '1.2.3'"},
    {"instance of A { X = 101b; };", 1, "malformed number '101b'"},
    {"instance of A { X = 0x; };", 1, "expected hex digits after '0x'"},
    {"instance of A { X = 1.; };", 1, "expected digits after '.' in a number"},
    {"instance of A { X = 1e; };", 1, "expected digits in the exponent of a number"},
    {"instance of A { X = 18446744073709551616; };", 1, "integer '18446744073709551616' is out of range"},
    {"instance of A { X = 0x10000000000000000; };", 1, "is out of range"},
    {"instance of A { X = -9223372036854775809; };", 1, "integer '-9223372036854775809' is out of range"},
    {"instance of A { X = 1e999; };", 1, "real '1e999' is out of range"},
    {"instance of A { X = 'c'; };", 1, "character literals ('x') are not supported"},
    {"instance of A { X = @; };", 1, "unexpected character '@'"},
    {"instance of A { X = - 1; };", 1, "unexpected character '-'"},
    {"instance of A { X = $; };", 1, "expected an alias name after '$'"},
    {std::string_view("class A\0 {};", 12), 1, "unexpected byte 0x00"},
    {"class A \x80 {};", 1, "unexpected byte 0x80"},
    {"\xFF\xFE" "c\0l\0", 1, "UTF-16 text is not supported"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, MofReaderMalformed, testing::ValuesIn(kMalformed));

TEST(MofReader, ReadsPropertyTypesArraysDefaultsAndReferences) {
    const MofDocument document = ReadValid(R"(class Base { };
        CLASS Record : Base {
            sint8 A; UINT16 B[]; string C[4]; real64 D = 2.5; Boolean E = TRUE;
            datetime F; char16 G; Base REF Owner; Base ref Members[];
            uint8 H[] = {1, 2};
        };)");
    ASSERT_EQ(document.classes.size(), 2u);
    const ClassDefinition& record = document.classes[1];
    EXPECT_EQ(record.name, "Record");
    EXPECT_EQ(record.superclass, "Base");
    struct Expected {
        std::string_view name;
        CimType type;
        bool isArray;
        std::string_view referenceClass;
    };
    const Expected expected[] = {
        {"A", CimType::SInt8, false, ""},
        {"B", CimType::UInt16, true, ""},
        {"C", CimType::String, true, ""},
        {"D", CimType::Real64, false, ""},
        {"E", CimType::Boolean, false, ""},
        {"F", CimType::DateTime, false, ""},
        {"G", CimType::Char16, false, ""},
        {"Owner", CimType::Reference, false, "Base"},
        {"Members", CimType::Reference, true, "Base"},
        {"H", CimType::UInt8, true, ""},
    };
    ASSERT_EQ(record.properties.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const PropertyDefinition& property = record.properties[i];
        EXPECT_EQ(property.name, expected[i].name);
        EXPECT_EQ(property.type, expected[i].type) << property.name;
        EXPECT_EQ(property.isArray, expected[i].isArray) << property.name;
        EXPECT_EQ(property.referenceClass, expected[i].referenceClass) << property.name;
    }
    EXPECT_EQ(record.properties[3].defaultValue, CimValue{2.5});
    EXPECT_EQ(record.properties[4].defaultValue, CimValue{true});
    EXPECT_TRUE(record.properties[0].defaultValue.IsNull());
    EXPECT_EQ(record.properties[9].defaultValue,
              (CimValue{CimArray{CimValue{std::uint64_t{1}}, CimValue{std::uint64_t{2}}}}));
}

}  // namespace
}  // namespace norvwmi
