#include "host/provider_class_identity.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/guid_text.h"

namespace norv {
namespace {

TEST(ParseGuidText, ReadsTheFieldsInComLayout) {
    const auto guid = ParseGuidText("{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27}");
    ASSERT_TRUE(guid.has_value());
    EXPECT_EQ(guid->data1, 0x2C7F5E93u);
    EXPECT_EQ(guid->data2, 0x41B8u);
    EXPECT_EQ(guid->data3, 0x4D06u);
    const std::array<std::uint8_t, 8> data4 = {0x9A, 0x3E, 0x85, 0xD1, 0xB0, 0xF4, 0x6C, 0x27};
    EXPECT_EQ(guid->data4, data4);
    EXPECT_EQ(ParseGuidText("{2c7f5e93-41b8-4d06-9a3e-85d1b0f46c27}"), guid);
}

TEST(ParseGuidText, RejectsMalformedText) {
    for (const char* text : {
             "2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27",     // no braces
             "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C2}",    // one digit short
             "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C277}",  // one digit too many
             "{2C7F5E93-41B84-D06-9A3E-85D1B0F46C27}",   // dash moved
             "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46CG7}",   // not a hex digit
             "{2C7F5E93 41B8-4D06-9A3E-85D1B0F46C27}",   // blank for a dash
             "(2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27)",   // wrong brackets
         }) {
        EXPECT_FALSE(ParseGuidText(text).has_value()) << text;
    }
}

TEST(ProviderClassIdentities, FollowTheNamingRulesOfTheClassTable) {
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        const std::string className(identity.className);
        EXPECT_EQ(identity.coclassName, "C" + className);
        EXPECT_EQ(identity.friendlyName, "C" + className + " Object");
        EXPECT_TRUE(identity.progId.starts_with("Norvipmiprv.")) << identity.progId;
        EXPECT_EQ(VersionIndependentProgId(identity.progId).size() + 2, identity.progId.size());
    }
}

TEST(ProviderClassIdentities, AreDistinctAndIndexedByTheirClass) {
    std::set<std::string_view> clsids;
    std::set<std::string_view> progIds;
    std::set<std::string_view> served;
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        clsids.insert(identity.clsid);
        progIds.insert(identity.progId);
        progIds.insert(VersionIndependentProgId(identity.progId));
        served.insert(identity.servedClass);
    }
    EXPECT_EQ(clsids.size(), kProviderClassCount);
    EXPECT_EQ(progIds.size(), 2 * kProviderClassCount);
    EXPECT_EQ(served.size(), kProviderClassCount);

    EXPECT_EQ(IdentityOf(ProviderClass::LogRecord).servedClass, "LogRecord");
    EXPECT_EQ(IdentityOf(ProviderClass::RecordLog).servedClass, "RecordLog");
    EXPECT_EQ(IdentityOf(ProviderClass::SystemSpecificCollection).servedClass,
              "SystemSpecificCollection");
    EXPECT_EQ(IdentityOf(ProviderClass::NumericSensor).servedClass, "NumericSensor");
    EXPECT_EQ(IdentityOf(ProviderClass::Sensor).servedClass, "Sensor");
    EXPECT_EQ(IdentityOf(ProviderClass::ComputerSystem).servedClass, "ComputerSystem");
    EXPECT_EQ(IdentityOf(ProviderClass::AdminDomain).servedClass, "AdminDomain");
}

TEST(VersionIndependentProgId, DropsOnlyTheVersionSuffix) {
    EXPECT_EQ(VersionIndependentProgId("Norvipmiprv.Sensor.1"), "Norvipmiprv.Sensor");
    EXPECT_EQ(VersionIndependentProgId("Norvipmiprv.Sensor"), "Norvipmiprv.Sensor");
    EXPECT_EQ(VersionIndependentProgId("Norvipmiprv.Sensor.10"), "Norvipmiprv.Sensor.10");
}

}  // namespace
}  // namespace norv
