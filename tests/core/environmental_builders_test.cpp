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

using testing::Builder;
using testing::FakeHealthDataSource;
using testing::FakeProperties;

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
