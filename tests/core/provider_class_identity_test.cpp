#include "host/provider_class_identity.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace norv {
namespace {

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
