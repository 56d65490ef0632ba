#include "host/provider_class_identity.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/guid_text.h"

namespace norv {
namespace {

TEST(ParseGuidText, ReadsTheFieldsInComLayoutAndRejectsMalformedText) {
    const auto guid = ParseGuidText("{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27}");
    ASSERT_TRUE(guid.has_value());
    EXPECT_EQ(guid->data1, 0x2C7F5E93u);
    EXPECT_EQ(guid->data2, 0x41B8u);
    EXPECT_EQ(guid->data3, 0x4D06u);
    EXPECT_EQ(guid->data4,
              (std::array<std::uint8_t, 8>{0x9A, 0x3E, 0x85, 0xD1, 0xB0, 0xF4, 0x6C, 0x27}));
    EXPECT_EQ(ParseGuidText("{2c7f5e93-41b8-4d06-9a3e-85d1b0f46c27}"), guid);
    for (const char* text :
         {"2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27", "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C2}",
          "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C277}", "{2C7F5E93-41B84-D06-9A3E-85D1B0F46C27}",
          "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46CG7}", "{2C7F5E93 41B8-4D06-9A3E-85D1B0F46C27}",
          "(2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27)"}) {
        EXPECT_FALSE(ParseGuidText(text).has_value()) << text;
    }
}

TEST(ProviderClassIdentities, FollowTheNamingRulesAreDistinctAndIndexedByTheirClass) {
    std::set<std::string_view> clsids, progIds, served;
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        const std::string className(identity.className);
        EXPECT_EQ(identity.coclassName, "C" + className);
        EXPECT_EQ(identity.friendlyName, "C" + className + " Object");
        EXPECT_TRUE(identity.progId.starts_with("Norvipmiprv.")) << identity.progId;
        clsids.insert(identity.clsid);
        progIds.insert(identity.progId);
        progIds.insert(VersionIndependentProgId(identity.progId));
        served.insert(identity.servedClass);
    }
    EXPECT_EQ(clsids.size(), kProviderClassCount);
    EXPECT_EQ(progIds.size(), 2 * kProviderClassCount);
    EXPECT_EQ(served.size(), kProviderClassCount);
    const std::pair<ProviderClass, std::string_view> indexed[] = {
        {ProviderClass::LogRecord, "LogRecord"},
        {ProviderClass::RecordLog, "RecordLog"},
        {ProviderClass::SystemSpecificCollection, "SystemSpecificCollection"},
        {ProviderClass::NumericSensor, "NumericSensor"},
        {ProviderClass::Sensor, "Sensor"},
        {ProviderClass::ComputerSystem, "ComputerSystem"},
        {ProviderClass::AdminDomain, "AdminDomain"}};
    for (const auto& [providerClass, servedClass] : indexed)
        EXPECT_EQ(IdentityOf(providerClass).servedClass, servedClass);
    EXPECT_EQ(VersionIndependentProgId("Norvipmiprv.Sensor.1"), "Norvipmiprv.Sensor");
    EXPECT_EQ(VersionIndependentProgId("Norvipmiprv.Sensor"), "Norvipmiprv.Sensor");
    EXPECT_EQ(VersionIndependentProgId("Norvipmiprv.Sensor.10"), "Norvipmiprv.Sensor.10");
}

}  // namespace
}  // namespace norv
