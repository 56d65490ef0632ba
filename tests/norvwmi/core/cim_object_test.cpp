#include "repository/cim_object.h"

#include <gtest/gtest.h>

#include "support/memory_class_source.h"

namespace norvwmi {
namespace {

using testing::Instance;
using testing::KeyProperty;
using testing::Property;
using testing::WithDefault;

CimValue Text(const char* text) {
    return CimValue{std::string(text)};
}
CimValue Unsigned(std::uint64_t n) {
    return CimValue{n};
}

// ManagedElement <- Device <- Fan, with two keys on Device.
struct Hierarchy {
    Hierarchy() {
        ClassDefinition element;
        element.name = "ManagedElement";
        element.properties = {Property("Caption", CimType::String)};
        ClassDefinition device;
        device.name = "Device";
        device.superclass = "ManagedElement";
        device.properties = {KeyProperty("SystemName", CimType::String),
                             KeyProperty("deviceID", CimType::String),
                             WithDefault(Property("Status", CimType::UInt16), Unsigned(2))};
        ClassDefinition fan;
        fan.name = "Fan";
        fan.superclass = "Device";
        fan.properties = {Property("Speed", CimType::UInt32),
                          Property("Readings", CimType::SInt8, true)};
        source.AddClass("root\\test", element);
        source.AddClass("root\\test", device);
        source.AddClass("root\\test", fan);
    }

    ClassLineage Lineage(std::string_view className) const {
        ClassLineage lineage;
        const ClassDefinition* c = source.FindClass("root\\test", className);
        lineage.definition = std::shared_ptr<const ClassDefinition>(c, [](const auto*) {});
        for (c = source.FindClass("root\\test", c->superclass); c;
             c = source.FindClass("root\\test", c->superclass))
            lineage.ancestors.emplace_back(c, [](const auto*) {});
        return lineage;
    }

    CimObject FanInstance() const {
        auto made = CimObject::MakeInstance(Lineage("Fan"),
                                            Instance("Fan", {{"deviceID", Text("Fan \"1\""), {}},
                                                             {"SystemName", Text("HOST"), {}},
                                                             {"Speed", Unsigned(4200), {}}}),
                                            ObjectSource{"HOST", "root\\test"});
        return std::get<CimObject>(made);
    }

    testing::MemoryClassSource source;
};

std::vector<std::string> Names(const CimObject& object) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < object.PropertyCount(); ++i)
        names.push_back(object.PropertyAt(i).name);
    return names;
}

TEST(CimObject, SystemPropertiesOfALocatedInstance) {
    const Hierarchy h;
    const CimObject fan = h.FanInstance();
    EXPECT_EQ(*fan.SystemValue("__GENUS"), CimValue{std::int64_t{2}});
    EXPECT_EQ(*fan.SystemValue("__class"), Text("Fan"));
    EXPECT_EQ(*fan.SystemValue("__SUPERCLASS"), Text("Device"));
    EXPECT_EQ(*fan.SystemValue("__DYNASTY"), Text("ManagedElement"));
    EXPECT_EQ(*fan.SystemValue("__DERIVATION"),
              (CimValue{CimArray{Text("Device"), Text("ManagedElement")}}));
    EXPECT_EQ(*fan.SystemValue("__PROPERTY_COUNT"), CimValue{std::int64_t{6}});
    EXPECT_EQ(*fan.SystemValue("__RELPATH"), Text(R"(Fan.deviceID="Fan \"1\"",SystemName="HOST")"));
    EXPECT_EQ(*fan.SystemValue("__PATH"),
              Text(R"(\\HOST\root\test:Fan.deviceID="Fan \"1\"",SystemName="HOST")"));
    EXPECT_EQ(*fan.SystemValue("__SERVER"), Text("HOST"));
    EXPECT_EQ(*fan.SystemValue("__NAMESPACE"), Text("root\\test"));
    EXPECT_FALSE(fan.SystemValue("__NOSUCH"));
    EXPECT_FALSE(fan.SystemValue("Speed"));
}

TEST(CimObject, SpawnedInstanceHasDefaultsAndNoLocation) {
    const Hierarchy h;
    const CimObject fanClass =
        CimObject::MakeClass(h.Lineage("Fan"), ObjectSource{"HOST", "root\\test"});
    EXPECT_EQ(*fanClass.SystemValue("__GENUS"), CimValue{std::int64_t{1}});
    EXPECT_EQ(*fanClass.SystemValue("__RELPATH"), Text("Fan"));
    EXPECT_EQ(*fanClass.SystemValue("__PATH"), Text(R"(\\HOST\root\test:Fan)"));

    CimObject spawned = fanClass.SpawnInstance();
    EXPECT_EQ(spawned.GetGenus(), Genus::Instance);
    EXPECT_EQ(spawned.ValueAt(*spawned.Find("Status")), Unsigned(2));
    EXPECT_FALSE(spawned.IsLocalAt(*spawned.Find("Status")));
    EXPECT_TRUE(spawned.SystemValue("__RELPATH")->IsNull());  // keys not set yet
    EXPECT_TRUE(spawned.SystemValue("__PATH")->IsNull());
    EXPECT_TRUE(spawned.SystemValue("__SERVER")->IsNull());

    ASSERT_TRUE(spawned.Put(*spawned.Find("SystemName"), Text("S")));
    ASSERT_TRUE(spawned.Put(*spawned.Find("DeviceID"), Text("D")));
    EXPECT_TRUE(spawned.IsLocalAt(*spawned.Find("SystemName")));
    EXPECT_EQ(*spawned.SystemValue("__RELPATH"), Text(R"(Fan.deviceID="D",SystemName="S")"));
    EXPECT_TRUE(spawned.SystemValue("__PATH")->IsNull());
}

TEST(CimObject, PutKeepsRangesAndNormalForms) {
    const Hierarchy h;
    CimObject fan = h.FanInstance();
    const std::size_t speed = *fan.Find("Speed");
    EXPECT_FALSE(fan.Put(speed, CimValue{std::int64_t{-1}}));
    EXPECT_FALSE(fan.Put(speed, Unsigned(4294967296ULL)));
    EXPECT_FALSE(fan.Put(speed, Text("5")));
    EXPECT_EQ(fan.ValueAt(speed), Unsigned(4200));  // refused puts change nothing
    EXPECT_TRUE(fan.Put(speed, Unsigned(4294967295ULL)));
    const std::size_t readings = *fan.Find("Readings");
    EXPECT_TRUE(fan.Put(readings, CimValue{CimArray{Unsigned(127), CimValue{std::int64_t{-128}}}}));
    EXPECT_EQ(fan.ValueAt(readings),
              (CimValue{CimArray{CimValue{std::int64_t{127}}, CimValue{std::int64_t{-128}}}}));
    EXPECT_FALSE(fan.Put(readings, CimValue{CimArray{Unsigned(128)}}));
    EXPECT_FALSE(fan.Put(readings, Unsigned(1)));  // a scalar for an array
    EXPECT_TRUE(fan.Put(speed, CimValue{}));
    EXPECT_TRUE(fan.ValueAt(speed).IsNull());
}

TEST(CimObject, MakeInstanceRefusesUndeclaredPropertiesAndBadValues) {
    const Hierarchy h;
    auto made = CimObject::MakeInstance(
        h.Lineage("Fan"), Instance("Fan", {{"Noise", Unsigned(1), {}}}), ObjectSource{});
    ASSERT_TRUE(std::holds_alternative<std::string>(made));
    EXPECT_NE(std::get<std::string>(made).find("Noise"), std::string::npos);
    made = CimObject::MakeInstance(h.Lineage("Fan"), Instance("Fan", {{"Speed", Text("fast"), {}}}),
                                   ObjectSource{});
    EXPECT_TRUE(std::holds_alternative<std::string>(made));
}

TEST(CimObject, ProjectionKeepsSelectedPropertiesAndKeysOnlyForPaths) {
    const Hierarchy h;
    const CimObject fan = h.FanInstance();

    const CimObject speedOnly = fan.Projected({"speed"}, false);
    EXPECT_EQ(Names(speedOnly), std::vector<std::string>{"Speed"});
    EXPECT_FALSE(speedOnly.Find("Caption"));
    EXPECT_EQ(*speedOnly.SystemValue("__CLASS"), Text("Fan"));
    EXPECT_EQ(*speedOnly.SystemValue("__PROPERTY_COUNT"), CimValue{std::int64_t{1}});
    EXPECT_TRUE(speedOnly.SystemValue("__RELPATH")->IsNull());
    EXPECT_TRUE(speedOnly.SystemValue("__PATH")->IsNull());
    EXPECT_TRUE(speedOnly.SystemValue("__SERVER")->IsNull());
    EXPECT_TRUE(speedOnly.SystemValue("__SUPERCLASS")->IsNull());

    const CimObject withPath = fan.Projected({"Speed", "__PATH", "__DYNASTY"}, false);
    EXPECT_EQ(Names(withPath), (std::vector<std::string>{"deviceID", "Speed", "SystemName"}));
    EXPECT_EQ(*withPath.SystemValue("__PATH"), fan.SystemValue("__PATH"));
    EXPECT_EQ(*withPath.SystemValue("__DYNASTY"), Text("ManagedElement"));
    EXPECT_TRUE(withPath.SystemValue("__DERIVATION")->IsNull());

    const CimObject locatable = fan.Projected({"Speed"}, true);
    EXPECT_EQ(*locatable.SystemValue("__RELPATH"), fan.SystemValue("__RELPATH"));
}

}  // namespace
}  // namespace norvwmi
