#include "repository/mof_text.h"

#include <gtest/gtest.h>

#include "support/memory_class_source.h"

namespace norvwmi {
namespace {

using testing::KeyProperty;
using testing::Property;
using testing::WithDefault;

ClassLineage Unowned(const ClassDefinition& definition) {
    ClassLineage lineage;
    lineage.definition = std::shared_ptr<const ClassDefinition>(&definition, [](const auto*) {});
    return lineage;
}

ClassDefinition SensorClass() {
    ClassDefinition sensor;
    sensor.name = "Sensor";
    sensor.qualifiers = {Qualifier{"dynamic", CimValue{true}},
                         Qualifier{"provider", CimValue{std::string("NorvSensorProv")}}};
    sensor.properties = {
        KeyProperty("DeviceID", CimType::String), Property("PossibleStates", CimType::String, true),
        WithDefault(Property("Enabled", CimType::Boolean), CimValue{true}),
        Property("Reading", CimType::Real64), Property("Install", CimType::DateTime)};
    return sensor;
}

TEST(ObjectText, InstanceShowsNonNullPropertiesByNameWithMofLiterals) {
    const ClassDefinition sensor = SensorClass();
    CimObject instance = CimObject::MakeClass(Unowned(sensor), {}).SpawnInstance();
    ASSERT_TRUE(
        instance.Put(*instance.Find("DeviceID"), CimValue{std::string("1.0.32 \"a\\b\"\n")}));
    ASSERT_TRUE(instance.Put(
        *instance.Find("PossibleStates"),
        CimValue{CimArray{CimValue{std::string("Normal")}, CimValue{std::string("Upper")}}}));
    ASSERT_TRUE(instance.Put(*instance.Find("Reading"), CimValue{-1.5}));
    EXPECT_EQ(ObjectText(instance),
              "instance of Sensor\n"
              "{\n"
              "\tDeviceID = \"1.0.32 \\\"a\\\\b\\\"\\n\";\n"
              "\tEnabled = TRUE;\n"
              "\tPossibleStates = {\"Normal\", \"Upper\"};\n"
              "\tReading = -1.5;\n"
              "};\n");
}

TEST(ObjectText, ClassShowsQualifiersDeclarationsAndMethods) {
    ClassDefinition log;
    log.name = "RecordLog";
    log.superclass = "Log";
    log.properties = {KeyProperty("InstanceID", CimType::String),
                      WithDefault(Property("MaxRecords", CimType::UInt64),
                                  CimValue{std::uint64_t{18446744073709551615ULL}})};
    MethodDefinition clear;
    clear.name = "ClearLog";
    PropertyDefinition reason = Property("Reasons", CimType::UInt16, true);
    reason.qualifiers.push_back(Qualifier{"in", CimValue{true}});
    clear.parameters = {reason};
    log.methods = {clear};
    EXPECT_EQ(ObjectText(CimObject::MakeClass(Unowned(log), {})),
              "class RecordLog : Log\n"
              "{\n"
              "\t[key] string InstanceID;\n"
              "\tuint64 MaxRecords = 18446744073709551615;\n"
              "\tuint32 ClearLog([in] uint16 Reasons[]);\n"
              "};\n");
    const ClassDefinition sensor = SensorClass();
    const std::string start = "[dynamic, provider(\"NorvSensorProv\")]\nclass Sensor\n{\n";
    EXPECT_EQ(ObjectText(CimObject::MakeClass(Unowned(sensor), {})).substr(0, start.size()), start);
}

TEST(MofLiteral, WritesEachKindOfValue) {
    EXPECT_EQ(MofLiteral(CimValue{}), "NULL");
    EXPECT_EQ(MofLiteral(CimValue{false}), "FALSE");
    EXPECT_EQ(MofLiteral(CimValue{std::int64_t{-128}}), "-128");
    EXPECT_EQ(MofLiteral(CimValue{0.25}), "0.25");
    EXPECT_EQ(MofLiteral(CimValue{std::string("tab\there")}), "\"tab\\there\"");
    EXPECT_EQ(MofLiteral(CimValue{CimArray{}}), "{}");
}

}  // namespace
}  // namespace norvwmi
