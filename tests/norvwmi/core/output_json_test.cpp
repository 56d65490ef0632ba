// The JSON document of --format json: the value form of each CIM type, null properties
// left out, strings escaped so that any text gives valid JSON.
#include "program/output_json.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/memory_class_source.h"

namespace norvwmi {
namespace {

using testing::Instance;
using testing::KeyProperty;
using testing::Property;

CimObject Gauge(std::vector<PropertyValue> values) {
    ClassDefinition gauge;
    gauge.name = "Gauge";
    gauge.properties = {
        KeyProperty("Name", CimType::String),     Property("Small", CimType::UInt8),
        Property("Signed", CimType::SInt32),      Property("Count", CimType::UInt32),
        Property("Big", CimType::UInt64),         Property("Delta", CimType::SInt64),
        Property("Ratio", CimType::Real64),       Property("On", CimType::Boolean),
        Property("When", CimType::DateTime),      Property("Link", CimType::Reference),
        Property("Texts", CimType::String, true), Property("Words", CimType::UInt16, true),
        Property("Bigs", CimType::UInt64, true),  Property("Unset", CimType::String),
    };
    ClassLineage lineage{std::make_shared<const ClassDefinition>(std::move(gauge)), {}};
    auto made = CimObject::MakeInstance(lineage, Instance("Gauge", std::move(values)),
                                        ObjectSource{"HOST", "root\\test"});
    if (const auto* reason = std::get_if<std::string>(&made)) ADD_FAILURE() << *reason;
    return std::get<CimObject>(std::move(made));
}

CimValue Array(std::vector<CimValue> elements) {
    return CimValue{CimArray(std::move(elements))};
}

TEST(OutputJson, EachTypeHasItsForm) {
    const CimObject gauge = Gauge({
        {"Name", CimValue{std::string("g1")}, {}},
        {"Small", CimValue{std::uint64_t{200}}, {}},
        {"Signed", CimValue{std::int64_t{-5}}, {}},
        {"Count", CimValue{std::uint64_t{4294967295u}}, {}},
        {"Big", CimValue{std::numeric_limits<std::uint64_t>::max()}, {}},
        {"Delta", CimValue{std::int64_t{-1}}, {}},
        {"Ratio", CimValue{1.5}, {}},
        {"On", CimValue{false}, {}},
        {"When", CimValue{std::string("20240102030405.000000+060")}, {}},
        {"Link", CimValue{std::string("Gauge.Name=\"g2\"")}, {}},
        {"Texts", Array({CimValue{std::string("a")}, CimValue{std::string("b")}}), {}},
        {"Words", Array({CimValue{std::uint64_t{1}}, CimValue{std::uint64_t{65535}}}), {}},
        {"Bigs", Array({CimValue{std::uint64_t{7}}}), {}},
    });
    EXPECT_EQ(JsonObject(gauge),
              "{\"__CLASS\": \"Gauge\", \"Big\": \"18446744073709551615\", \"Bigs\": [\"7\"], "
              "\"Count\": 4294967295, \"Delta\": \"-1\", \"Link\": \"Gauge.Name=\\\"g2\\\"\", "
              "\"Name\": \"g1\", \"On\": false, \"Ratio\": 1.5, \"Signed\": -5, \"Small\": 200, "
              "\"Texts\": [\"a\", \"b\"], \"When\": \"20240102030405.000000+060\", "
              "\"Words\": [1, 65535]}");
}

TEST(OutputJson, NullPropertiesAreLeftOutAndEmptyArraysKept) {
    const CimObject gauge =
        Gauge({{"Name", CimValue{std::string("g1")}, {}}, {"Texts", Array({}), {}}});
    EXPECT_EQ(JsonObject(gauge), "{\"__CLASS\": \"Gauge\", \"Name\": \"g1\", \"Texts\": []}");
}

TEST(OutputJson, RealsThatAreNotFiniteAreNull) {
    PropertyDefinition ratio = Property("Ratio", CimType::Real64);
    EXPECT_EQ(JsonValue(ratio, CimValue{std::numeric_limits<double>::infinity()}), "null");
    EXPECT_EQ(JsonValue(ratio, CimValue{std::numeric_limits<double>::quiet_NaN()}), "null");
    EXPECT_EQ(JsonValue(ratio, CimValue{0.1}), "0.1");
    EXPECT_EQ(JsonValue(ratio, CimValue{-2e300}), "-2e+300");
}

TEST(OutputJson, StringsAreEscaped) {
    struct Row {
        std::string text;
        const char* json;
    };
    const Row rows[] = {
        {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\KESH\\0000_0", "\"C:\\\\KESH\\\\0000_0\""},
        {"a\tb\nc\rd\be\ff", "\"a\\tb\\nc\\rd\\be\\ff\""},
        {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
        {std::string("nul\0here", 8), "\"nul\\u0000here\""},
        {"/ and \x7f stay", "\"/ and \x7f stay\""},
        {"\xE2\x80\x9Cquoted\xE2\x80\x9D \xC3\xA9 \xF0\x9F\x98\x80",
         "\"\xE2\x80\x9Cquoted\xE2\x80\x9D \xC3\xA9 \xF0\x9F\x98\x80\""},
        // Not UTF-8: a lone continuation byte, a Windows-1252 byte, a cut sequence, an
        // overlong form, a surrogate.
        {"a\x80z", "\"a\\ufffdz\""},
        {"caf\xE9", "\"caf\\ufffd\""},
        {"\xE2\x80", "\"\\ufffd\\ufffd\""},
        {"\xC0\xAF", "\"\\ufffd\\ufffd\""},
        {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
    };
    for (const Row& row : rows) EXPECT_EQ(JsonString(row.text), row.json) << row.json;
}

TEST(OutputJson, DocumentsCarryTheStatusAndTheirList) {
    const CimObject gauge = Gauge({{"Name", CimValue{std::string("g1")}, {}}});
    const std::vector<CimObject> two{gauge, gauge};
    EXPECT_EQ(InstancesDocument(0, two),
              "{\n  \"status\": \"0x00000000\",\n  \"instances\": [\n"
              "    {\"__CLASS\": \"Gauge\", \"Name\": \"g1\"},\n"
              "    {\"__CLASS\": \"Gauge\", \"Name\": \"g1\"}\n  ]\n}\n");
    EXPECT_EQ(InstancesDocument(0x80041010u, {}),
              "{\n  \"status\": \"0x80041010\",\n  \"instances\": []\n}\n");
    const std::vector<std::string> names{"Sensor", "RecordLog"};
    EXPECT_EQ(ClassesDocument(0, names),
              "{\n  \"status\": \"0x00000000\",\n  \"classes\": [\n    \"Sensor\",\n"
              "    \"RecordLog\"\n  ]\n}\n");
}

}  // namespace
}  // namespace norvwmi
