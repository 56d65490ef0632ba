#include "repository/class_definition.h"

#include <gtest/gtest.h>

namespace norvwmi {
namespace {

TEST(CimType, KeywordsRoundTripAndKeepWmiNumbers) {
    struct Row {
        std::string_view keyword;
        std::uint16_t cimtype;  // CIMTYPE_ENUMERATION value
    };
    constexpr Row rows[] = {{"sint8", 16},   {"uint8", 17},   {"sint16", 2},    {"uint16", 18},
                            {"sint32", 3},   {"uint32", 19},  {"sint64", 20},   {"uint64", 21},
                            {"real32", 4},   {"real64", 5},   {"boolean", 11},  {"string", 8},
                            {"datetime", 101}, {"char16", 103}, {"object", 13}};
    for (const Row& row : rows) {
        const auto type = CimTypeFromName(row.keyword);
        ASSERT_TRUE(type.has_value()) << row.keyword;
        EXPECT_EQ(static_cast<std::uint16_t>(*type), row.cimtype) << row.keyword;
        EXPECT_EQ(CimTypeName(*type), row.keyword);
    }
    EXPECT_EQ(CimTypeFromName("UInt16"), CimType::UInt16);
    EXPECT_FALSE(CimTypeFromName("uint128").has_value());
}

TEST(ClassDefinition, LooksUpNamesWithoutRegardToCase) {
    ClassDefinition c;
    c.name = "Sensor";
    PropertyDefinition key;
    key.name = "DeviceID";
    key.qualifiers.push_back({"Key", CimValue{true}});
    PropertyDefinition plain;
    plain.name = "Caption";
    plain.qualifiers.push_back({"key", CimValue{false}});
    c.properties = {key, plain};
    c.methods.push_back(MethodDefinition{"ClearLog", CimType::UInt32, {}, {}, {}});

    ASSERT_NE(c.FindProperty("deviceid"), nullptr);
    EXPECT_TRUE(c.FindProperty("DEVICEID")->IsKey());
    EXPECT_FALSE(c.FindProperty("caption")->IsKey());  // key(false) is no key
    EXPECT_EQ(c.FindProperty("Device"), nullptr);
    EXPECT_NE(c.FindMethod("clearlog"), nullptr);
    EXPECT_EQ(c.FindMethod("Clear"), nullptr);
}

}  // namespace
}  // namespace norvwmi
