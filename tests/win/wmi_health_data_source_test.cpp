// The builders' health data through WMI, read from the platform descriptions that the
// norvwmi stand-in serves. (The getters' type rules are wmi_access_test's.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wmi_health_data_source.h"
#include "stand_in_wmi.h"

namespace norv {
namespace {

class WmiHealthData : public test::StandInSuite<> {};

TEST_F(WmiHealthData, ReadsEachTypeAsDeclared) {
    wmi_->Serve(test::DefaultPlatformNamespaces());
    WmiHealthDataSource source;
    const HealthObjectList temperatures =
        source.Query(kHealthNamespace, "SELECT * FROM TempSensorInfo");
    ASSERT_GE(temperatures.size(), 7u);
    bool present = false;
    bool overThreshold = true;
    std::int32_t celsius = 0;
    std::int32_t locale = 0;
    std::uint8_t threshold = 0;
    std::string name;
    EXPECT_TRUE(source.ReadBool(*temperatures[0], "TempPresent", present));
    EXPECT_TRUE(source.ReadBool(*temperatures[0], "TempOverThreshold", overThreshold));
    EXPECT_TRUE(source.ReadInt32(*temperatures[0], "TempCelsius", celsius));
    EXPECT_TRUE(source.ReadInt32(*temperatures[0], "TempLocale", locale));  // a uint8
    EXPECT_TRUE(source.ReadUInt8(*temperatures[6], "TempThreshold", threshold));
    EXPECT_TRUE(source.ReadString(*temperatures[0], "InstanceName", name));
    EXPECT_TRUE(present);
    EXPECT_FALSE(overThreshold);
    EXPECT_EQ(celsius, 41);
    EXPECT_EQ(locale, 3);
    EXPECT_EQ(threshold, 105);
    EXPECT_EQ(name, "ROOT\\KESHHLTH\\0000_0");
    // An object of another source is not read.
    class ForeignObject : public HealthObject {};
    std::int32_t number = -7;
    EXPECT_FALSE(source.ReadInt32(ForeignObject{}, "TempCelsius", number));
    EXPECT_EQ(number, -7);
}

TEST_F(WmiHealthData, AnAbsentClassGivesAnEmptyList) {
    WmiHealthDataSource source;
    EXPECT_TRUE(source.Query(kHealthNamespace, "SELECT * FROM NoSuchInfo").empty());
    EXPECT_TRUE(source.Query("root\\nowhere", "SELECT * FROM TempSensorInfo").empty());
    const std::string_view driverAbsent[] = {test::kShippedClasses, test::kHealthClasses,
                                             test::kHostDirectives, "platforms/driver-absent.mof"};
    wmi_->Serve(test::LoadNamespaces(driverAbsent));
    EXPECT_TRUE(source.Query(kHealthNamespace, "SELECT * FROM FanInfo").empty());
    EXPECT_EQ(source.Query("root\\CIMv2", "SELECT * FROM Win32_Processor").size(), 2u);
}

}  // namespace
}  // namespace norv
