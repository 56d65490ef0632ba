#include "inventory/environmental_builders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "inventory/redundancy_group.h"
#include "inventory/system_builders.h"

namespace norv {
namespace {

using testing::Build;
using testing::Builder;
using testing::FakeHealthDataSource;
using testing::FakeProperties;

// The query texts of every builder, written out independently of the builders' constants
// (the temperature query has two blanks before FROM). The builders below are then served
// through the constants.
TEST(Builders, EachSendsItsExactQueriesInOrderAndAMissingClassAddsNothing) {
    struct Case {
        const char* name;
        Builder build;
        std::vector<std::string> wql;
        std::size_t recordsWithoutData;
    };
    const std::string kResMem = "SELECT * FROM ResMemInfo";
    const std::vector<Case> cases = {
        {"temperature",
         BuildTemperatureSensors,
         {"SELECT TempBlowout, TempCelsius, TempImmediatePowerOff, TempLocale, TempNumber, "
          "TempOverThreshold, TempPhysicallyFailed, TempPresent, TempShutdownGracefully, "
          "TempThreshold  FROM TempSensorInfo"},
         0},
        {"fan group",
         BuildFanGroupSensors,
         {"SELECT FanLocale, FanPresent, FanPhysicallyFailed, FanRedundant, FanRedCapable, "
          "FanRedGroupId, FanMinReqForRedundancy, FanMinReqToRun, FanSharedGroupingCapable, "
          "FanSharedRedGroupId, FanSharedMinReqForRedundancy, FanSharedMinReqToRun FROM FanInfo"},
         0},
        {"fan",
         BuildFanSensors,
         {"SELECT FanIndex, FanLocale, FanPresent, FanType, FanSpeed, FanPhysicallyFailed FROM "
          "FanInfo"},
         0},
        {"power redundancy",
         BuildPowerRedundancySensors,
         {"SELECT PowerSupplyNumber, PowerSupplyPresent, PowerSupplyFailed, PowerSupplyRedCapable, "
          "PowerSupplyRedGroupId, PowerSupplyMinReqForRedundancy, PowerSupplyMinReqToRun, "
          "MaximumPowerSupplyID, NumPowerSuppliesSupportedByChassis, PowerSupplyIsRedundant FROM "
          "PowerSupplyInfo"},
         1},
        {"power supply",
         BuildPowerSupplySensors,
         {"SELECT PowerSupplyNumber, PowerSupplyPresent, PowerSupplyFailed, MaximumPowerSupplyID "
          "FROM PowerSupplyInfo"},
         0},
        {"asr", BuildAsrSensor, {"SELECT ASRIsEnabled, ASRTimeOut FROM ASRInfo"}, 0},
        {"uid light", BuildUidLightSensors, {"SELECT UIDLightState FROM UIDLightInfo"}, 0},
        {"memory subsystem", BuildMemorySubsystemSensors, {kResMem}, 0},
        {"memory boards",
         BuildMemoryBoardSensors,
         {kResMem,
          "SELECT CartID, NumModules, CartStatus, Removable, CartError, CartPIRN FROM "
          "MemoryBoardInfo"},
         0},
        {"dimms", BuildDimmSensors, {kResMem, "SELECT * FROM MemoryDIMMInfo"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHealthDataSource source;
        source.Serve(kResMem, {{{"Present", true}, {"NumberCartridges", 1}}});
        testing::Build(c.build, source, 30);
        ASSERT_EQ(source.SentQueries().size(), c.wql.size());
        for (std::size_t i = 0; i < c.wql.size(); ++i) {
            EXPECT_EQ(source.SentQueries()[i].nameSpace, "root\\wmi");
            EXPECT_EQ(source.SentQueries()[i].wql, c.wql[i]);
        }
        if (c.wql.size() != 1 || c.wql[0] == kResMem) continue;
        const auto run = Build(c.build, c.wql[0], {}, 30);
        EXPECT_TRUE(run.ok);
        EXPECT_EQ(run.Count(), c.recordsWithoutData);
        EXPECT_EQ(run.counter, 30 + c.recordsWithoutData);
    }
}

FakeProperties Temperature(std::int32_t number, std::int32_t celsius, std::int32_t threshold) {
    return {{"TempPresent", true},
            {"TempNumber", number},
            {"TempLocale", 4},
            {"TempCelsius", celsius},
            {"TempThreshold", threshold},
            {"TempImmediatePowerOff", false},
            {"TempOverThreshold", false},
            {"TempShutdownGracefully", false}};
}

TEST(Builders, UnreadableKeyRemovesThisRunsRecordsOnly) {
    struct Case {
        Builder build;
        std::string_view wql;
        std::vector<FakeProperties> objects;
        std::uint8_t counterAfter;
    };
    const std::vector<Case> cases = {
        {BuildTemperatureSensors,
         kTemperatureQuery,
         {Temperature(1, 40, 80), Temperature(2, 40, 80), {{"TempPresent", true}}},
         23},
        {BuildFanSensors,
         kFanQuery,
         {{{"FanIndex", 1}, {"FanPresent", true}}, {{"FanPresent", true}}},
         22},
        {BuildPowerSupplySensors,
         kPowerSupplyQuery,
         {{{"PowerSupplyNumber", 1}, {"MaximumPowerSupplyID", 4}}, {{"PowerSupplyPresent", true}}},
         24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wql);
        FakeHealthDataSource source;
        source.Serve(c.wql, c.objects);
        SensorInventory inventory;
        SensorRecord earlier;
        earlier.SetName(SensorKind::Cpu, 0, 0, 0);
        inventory.Append(earlier);
        inventory.SetValid(true);
        std::uint8_t counter = 20;
        EXPECT_FALSE(c.build(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 1u);
        EXPECT_EQ(inventory.At(0).Name(), "CPU 0");
        EXPECT_FALSE(inventory.Valid());
        EXPECT_EQ(counter, c.counterAfter);
    }
}

TEST(RedundancyGroup, FirstMinimumsMaskBitsAndSignedComparisons) {
    RedundancyGroupList groups;
    AddMember(groups, 7, 2, 1, true, 15);
    AddMember(groups, 3, 4, 4, false, 16);
    AddMember(groups, 7, 9, 9, false, 0);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].groupId, 7u);
    EXPECT_EQ(groups[0].memberMask, 0x8001);
    EXPECT_EQ(groups[0].memberCount, 2);
    EXPECT_EQ(groups[0].healthyCount, 1);
    EXPECT_EQ(groups[0].minForRedundancy, 2);
    EXPECT_EQ(groups[0].minToRun, 1);
    EXPECT_EQ(groups[1].memberMask, 0);

    RedundancyGroup group;
    group.memberCount = 2;
    group.minForRedundancy = -1;
    EXPECT_EQ(RedundancyState(group), kRedundancyDegraded);
    group.minForRedundancy = 1;
    group.minToRun = -1;
    EXPECT_EQ(RedundancyState(group), kRedundancyLost);
    EXPECT_EQ(SubsystemRedundancyState({}), kFullyRedundant);
}

}  // namespace
}  // namespace norv
