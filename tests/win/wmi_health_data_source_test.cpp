// The builders' health data through WMI, read from the platform descriptions that the
// norvwmi stand-in serves.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wmi_health_data_source.h"
#include "stand_in_wmi.h"

namespace norv {
namespace {

class WmiHealthData : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(wmi_.Problem(), ""); }

    test::StandInWmi wmi_;
    WmiHealthDataSource source_;
};

TEST_F(WmiHealthData, ReadsEachTypeAsDeclared) {
    const HealthObjectList temperatures =
        source_.Query(kHealthNamespace, "SELECT * FROM TempSensorInfo");
    ASSERT_GE(temperatures.size(), 7u);
    const HealthObject& first = *temperatures[0];
    bool present = false;
    EXPECT_TRUE(source_.ReadBool(first, "TempPresent", present));
    EXPECT_TRUE(present);
    bool overThreshold = true;
    EXPECT_TRUE(source_.ReadBool(first, "TempOverThreshold", overThreshold));
    EXPECT_FALSE(overThreshold);
    std::int32_t celsius = 0;
    EXPECT_TRUE(source_.ReadInt32(first, "TempCelsius", celsius));
    EXPECT_EQ(celsius, 41);
    // A uint8 property read as a 32-bit integer.
    std::int32_t locale = 0;
    EXPECT_TRUE(source_.ReadInt32(first, "TempLocale", locale));
    EXPECT_EQ(locale, 3);
    std::uint8_t threshold = 0;
    EXPECT_TRUE(source_.ReadUInt8(*temperatures[6], "TempThreshold", threshold));
    EXPECT_EQ(threshold, 105);
    std::string name;
    EXPECT_TRUE(source_.ReadString(first, "InstanceName", name));
    EXPECT_EQ(name, "ROOT\\KESHHLTH\\0000_0");

    const HealthObjectList versions =
        source_.Query(kHealthNamespace, "SELECT * FROM DriverVersion");
    ASSERT_EQ(versions.size(), 1u);
    std::string driver;
    EXPECT_TRUE(source_.ReadString(*versions[0], "DriverName", driver));
    EXPECT_EQ(driver, "KeshHlth");
    std::int32_t minor = 0;
    EXPECT_TRUE(source_.ReadInt32(*versions[0], "DriverMinorVersion", minor));
    EXPECT_EQ(minor, 15);
}

struct WrongRead {
    const char* property;
    enum { Bool, Int32, UInt8, String } as;
};

TEST_F(WmiHealthData, AnAbsentClassGivesAnEmptyList) {
    EXPECT_TRUE(source_.Query(kHealthNamespace, "SELECT * FROM NoSuchInfo").empty());
    EXPECT_TRUE(source_.Query("root\\nowhere", "SELECT * FROM TempSensorInfo").empty());
    wmi_.Serve(test::LoadNamespaces(
        std::vector<std::string_view>{test::kShippedClasses, test::kHealthClasses,
                                      test::kHostDirectives, "platforms/driver-absent.mof"}));
    EXPECT_TRUE(source_.Query(kHealthNamespace, "SELECT * FROM FanInfo").empty());
    EXPECT_EQ(source_.Query("root\\CIMv2", "SELECT * FROM Win32_Processor").size(), 2u);
}

TEST_F(WmiHealthData, AnObjectOfAnotherSourceIsNotRead) {
    class ForeignObject : public HealthObject {};
    const ForeignObject foreign;
    std::int32_t number = -7;
    EXPECT_FALSE(source_.ReadInt32(foreign, "TempCelsius", number));
    EXPECT_EQ(number, -7);
}

}  // namespace
}  // namespace norv
