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

// The default platform's records, name, type, entity and mask of every kind, are held in
// tests/data/core/default_inventory.txt (inventory_build_test.cpp); here the readings.
TEST(TemperatureBuilder, ReadingsOfAGracefulShutdownSensor) {
    FakeProperties sensor = Temperature(3, 45, 80);
    sensor["TempShutdownGracefully"] = true;
    const auto run =
        Build(BuildTemperatureSensors, kTemperatureQuery, {Temperature(1, 30, 70), sensor});
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.counter, 12);  // by the number of objects, not by the highest TempNumber
    ASSERT_EQ(run.Count(), 2u);
    EXPECT_EQ(run[0].SensorNumber(), 10);
    const SensorRecord& r = run[1];
    EXPECT_EQ(testing::Identity(r),
              "0.12 TEMPERATURE 3: kind 3 type 01/01 entity 08.0 mask 10 key 3/255 state 16");
    EXPECT_EQ(r.CurrentReading(), 450);
    EXPECT_EQ(r.BaseUnits(), 2);
    EXPECT_EQ(r.UnitModifier(), -1);
    EXPECT_TRUE(r.HasField(kFieldRateUnits));
    EXPECT_EQ(r.RateUnits(), 0);
    EXPECT_EQ(r.NominalReading(), 500);
    EXPECT_EQ(r.NormalMax(), 1000);
    EXPECT_EQ(r.NormalMin(), 60);
    EXPECT_EQ(r.MaxReadable(), 1270);
    EXPECT_EQ(r.MinReadable(), 0);
    EXPECT_EQ(r.UpperCritical(), 800);
}

TEST(TemperatureBuilder, OverThresholdReadsTheOffsetOfItsOneThreshold) {
    struct Case {
        bool powerOff, shutdown;
        std::uint16_t bit;
        std::int32_t (SensorRecord::*threshold)() const;
        std::uint8_t overState;
    };
    const Case cases[] = {
        {true, false, 0x20, &SensorRecord::UpperNonRecoverable, 5},
        {true, true, 0x20, &SensorRecord::UpperNonRecoverable, 5},  // power off wins
        {false, true, 0x10, &SensorRecord::UpperCritical, 4},
        {false, false, 0x08, &SensorRecord::UpperNonCritical, 3},
    };
    for (const Case& c : cases) {
        for (bool over : {false, true}) {
            SCOPED_TRACE(::testing::Message() << c.powerOff << c.shutdown << over);
            FakeProperties sensor = Temperature(1, 90, 85);
            sensor["TempImmediatePowerOff"] = c.powerOff;
            sensor["TempShutdownGracefully"] = c.shutdown;
            sensor["TempOverThreshold"] = over;
            const auto run = Build(BuildTemperatureSensors, kTemperatureQuery, {sensor});
            ASSERT_EQ(run.Count(), 1u);
            EXPECT_EQ(run[0].StateMask(), c.bit);
            EXPECT_EQ((run[0].*c.threshold)(), 850);
            EXPECT_EQ(run[0].CurrentState(), over ? c.overState : 16);
        }
    }
}

TEST(TemperatureBuilder, ReadingIsCappedNominalTruncatesAndMissingValuesKeepDefaults) {
    struct Case {
        FakeProperties object;
        std::int32_t reading, nominal;
        std::uint32_t entity;
        std::uint8_t present, number;
    };
    const Case cases[] = {
        {Temperature(1, 127, 85), 1270, 520, 0x08, 1, 10},  // (105 / 2) x 10
        {Temperature(1, 128, 80), 1270, 500, 0x08, 1, 10},
        {Temperature(1, 130, -25), 1270, -20, 0x08, 1, 10},  // -5 / 2 truncates toward zero
        {Temperature(1, -3, -27), -30, -30, 0x08, 1, 10},
        {{{"TempPresent", true}, {"TempNumber", 2}}, 0, 100, 0x07, 1, 11},      // locale 0
        {{{"TempPresent", false}, {"TempCelsius", 20}}, 200, 100, 0x07, 0, 9},  // 10 + 0 - 1
    };
    for (const Case& c : cases) {
        const auto run = Build(BuildTemperatureSensors, kTemperatureQuery, {c.object});
        ASSERT_EQ(run.Count(), 1u);
        EXPECT_EQ(run[0].CurrentReading(), c.reading);
        EXPECT_EQ(run[0].NominalReading(), c.nominal);
        EXPECT_EQ(run[0].EntityId(), c.entity);
        EXPECT_EQ(run[0].Present(), c.present);
        EXPECT_EQ(run[0].SensorNumber(), c.number);
    }
    const auto bare = Build(BuildTemperatureSensors, kTemperatureQuery, {cases[4].object});
    EXPECT_EQ(bare[0].StateMask(), kThresholdUpperNonCritical);
    EXPECT_EQ(bare[0].UpperNonCritical(), 0);
    EXPECT_EQ(bare[0].CurrentState(), 16);
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

FakeProperties Fan(std::int32_t index, bool present, bool failed, std::int32_t speed) {
    return {{"FanIndex", index},
            {"FanLocale", 9},
            {"FanPresent", present},
            {"FanPhysicallyFailed", failed},
            {"FanSpeed", speed}};
}

TEST(FanBuilder, StateFollowsPresenceFailureAndSpeed) {
    struct Case {
        bool present, failed;
        std::int32_t speed;
        std::uint8_t state;
    };
    const Case cases[] = {{false, false, 2, 17}, {false, true, 2, 17}, {true, true, 2, 6},
                          {true, false, 1, 7},   {true, false, 2, 3},  {true, false, 3, 4},
                          {true, false, 0, 17},  {true, false, 4, 17}, {true, false, 258, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.present << c.failed << " " << c.speed);
        const auto run = Build(BuildFanSensors, kFanQuery, {Fan(3, c.present, c.failed, c.speed)});
        ASSERT_EQ(run.Count(), 1u);
        EXPECT_EQ(run[0].Present(), 1);
        EXPECT_EQ(run[0].CurrentState(), c.state);
    }
}

TEST(FanBuilder, NumbersFromTheCounterByFanIndexInEightBits) {
    const auto run =
        Build(BuildFanSensors, kFanQuery,
              {Fan(3, true, false, 2), Fan(1, true, false, 2), Fan(10, true, false, 2)}, 250);
    EXPECT_EQ(run.counter, 253);
    EXPECT_EQ(testing::Identity(run[0]),
              "0.252 FAN 3: kind 0 type 04/0A entity 17.0 mask DC key 3/255 state 3");
    EXPECT_EQ(run[1].SensorNumber(), 250);
    EXPECT_EQ(run[2].SensorNumber(), 3);  // 259 mod 256
}

FakeProperties GroupFan(std::int32_t locale, bool healthy, std::int32_t group, std::int32_t minRed,
                        std::int32_t minRun) {
    return {{"FanLocale", locale},
            {"FanPresent", true},
            {"FanPhysicallyFailed", !healthy},
            {"FanRedCapable", true},
            {"FanRedGroupId", group},
            {"FanMinReqForRedundancy", minRed},
            {"FanMinReqToRun", minRun},
            {"FanSharedGroupingCapable", false}};
}

TEST(FanGroupBuilder, GroupStateFromHealthyMembersAndMinimums) {
    struct Case {
        int healthy;
        std::int32_t minRed, minRun;
        std::uint8_t state;
    };
    const Case cases[] = {{3, 3, 2, 0}, {2, 3, 2, 1}, {2, 2, 1, 2}, {1, 3, 2, 5}, {0, 0, 0, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.healthy);
        std::vector<FakeProperties> fans;
        for (int i = 0; i < 3; ++i)
            fans.push_back(GroupFan(i + 1, i < c.healthy, 1, c.minRed, c.minRun));
        const auto run = Build(BuildFanGroupSensors, kFanGroupQuery, fans, 20);
        ASSERT_EQ(run.Count(), 1u);
        EXPECT_EQ(run[0].CurrentState(), c.state);
        EXPECT_EQ(run.counter, 23);  // three fans, one group
    }
    FakeProperties absent = GroupFan(2, true, 1, 2, 1);  // an absent fan is not healthy
    absent["FanPresent"] = false;
    EXPECT_EQ(Build(BuildFanGroupSensors, kFanGroupQuery, {GroupFan(1, true, 1, 2, 1), absent})[0]
                  .CurrentState(),
              1);
}

TEST(FanGroupBuilder, RecordsOfRedundantAndSharedGroups) {
    const auto shared = [](FakeProperties fan, std::int32_t min) {
        fan["FanSharedGroupingCapable"] = true;
        fan["FanSharedRedGroupId"] = 1;
        fan["FanSharedMinReqForRedundancy"] = min;
        fan["FanSharedMinReqToRun"] = min;
        return fan;
    };
    // Locale 16 has no mask bit; the minimums of a group's first member stay.
    const auto run =
        Build(BuildFanGroupSensors, kFanGroupQuery,
              {GroupFan(0, true, 1, 1, 1), GroupFan(3, true, 1, 1, 1),
               shared(GroupFan(16, true, 2, 1, 1), 1), shared(GroupFan(9, false, 2, 5, 5), 5)},
              20);
    ASSERT_EQ(run.Count(), 3u);  // groups 1 and 2, shared group 1
    EXPECT_EQ(run.counter, 24);  // four fans outnumber three groups
    EXPECT_EQ(testing::Identity(run[0]),
              "0.20 FAN GROUP 1: kind 1 type 04/0B entity 1E.1 mask 27 key 9/0 state 0");
    // 1 healthy of 2, needs 1 for redundancy; the shared group after the two redundant ones.
    EXPECT_EQ(testing::Identity(run[1]),
              "0.21 FAN GROUP 2: kind 1 type 04/0B entity 1E.2 mask 27 key 0/2 state 2");
    EXPECT_EQ(testing::Identity(run[2]),
              "0.22 FAN SHARED GROUP 1: kind 2 type 04/0B entity 1E.1 mask 27 key 0/2 state 2");

    const auto none = Build(BuildFanGroupSensors, kFanGroupQuery, {{{"FanPresent", true}}, {}}, 20);
    EXPECT_EQ(none.Count(), 0u);  // no redundancy, no group; the counter still advances
    EXPECT_EQ(none.counter, 22);
}

FakeProperties RedundantSupply(bool present, bool failed, std::int32_t group, std::int32_t minRed,
                               std::int32_t minRun) {
    return {{"PowerSupplyPresent", present},
            {"PowerSupplyFailed", failed},
            {"PowerSupplyRedCapable", true},
            {"PowerSupplyRedGroupId", group},
            {"PowerSupplyMinReqForRedundancy", minRed},
            {"PowerSupplyMinReqToRun", minRun}};
}

TEST(PowerRedundancyBuilder, SingleGroupIsShownOnlyAsTheSubsystem) {
    const auto run =
        Build(BuildPowerRedundancySensors, kPowerRedundancyQuery,
              {RedundantSupply(true, false, 1, 2, 1), RedundantSupply(true, true, 1, 2, 1)}, 40);
    ASSERT_EQ(run.Count(), 2u);
    EXPECT_EQ(run.counter, 43);  // 1 + two supplies
    // 1 healthy: below 2 for redundancy, enough to run.
    EXPECT_EQ(testing::Identity(run[0]),
              "0.40 Pwr Subsystem: kind 6 type 08/0B entity 13.0 mask FF key 255/255 state 1");
    EXPECT_EQ(
        testing::Identity(run[1]),
        "0.41 POWER GROUP 1: kind 5 type 08/0B entity 13.1 mask 27 key 1/255 state 1 (hidden)");
    const auto none = Build(BuildPowerRedundancySensors, kPowerRedundancyQuery,
                            {{{"PowerSupplyPresent", true}}, {}, {}}, 40);
    ASSERT_EQ(none.Count(), 1u);  // no capable supply: a hidden subsystem
    EXPECT_EQ(none[0].Present(), 0);
    EXPECT_EQ(none[0].CurrentState(), 0);
    EXPECT_EQ(none.counter, 44);
}

TEST(PowerRedundancyBuilder, SubsystemStateIsTheLevelEveryGroupReaches) {
    const auto S = RedundantSupply;
    const std::vector<std::pair<std::vector<FakeProperties>, std::uint8_t>> cases = {
        {{S(true, false, 1, 1, 1), S(true, false, 2, 1, 1)}, 0},
        {{S(true, false, 1, 1, 1), S(true, false, 2, 1, 1), S(false, false, 2, 1, 1)}, 2},
        {{S(true, false, 1, 1, 1), S(true, false, 2, 2, 1), S(true, true, 2, 2, 1)}, 1},
        {{S(true, false, 1, 1, 1), S(true, true, 2, 2, 1)}, 5},
    };
    for (const auto& [supplies, state] : cases) {
        const auto run = Build(BuildPowerRedundancySensors, kPowerRedundancyQuery, supplies, 40);
        ASSERT_EQ(run.Count(), 3u);
        EXPECT_EQ(run[0].CurrentState(), state);
        EXPECT_EQ(run[1].Present(), 1);  // two groups are both shown
        EXPECT_EQ(run[2].SensorNumber(), 42);
        EXPECT_EQ(run.counter, 41u + supplies.size());
    }
}

FakeProperties Supply(std::int32_t number, bool present, bool failed) {
    return {{"PowerSupplyNumber", number},
            {"PowerSupplyPresent", present},
            {"PowerSupplyFailed", failed},
            {"MaximumPowerSupplyID", 6}};
}

TEST(PowerSupplyBuilder, StatesAndNumbers) {
    const auto run = Build(BuildPowerSupplySensors, kPowerSupplyQuery,
                           {Supply(2, true, false), Supply(1, true, true), Supply(4, false, false),
                            Supply(5, false, true)},
                           43);
    EXPECT_EQ(run.counter, 49);  // by MaximumPowerSupplyID of the first object
    ASSERT_EQ(run.Count(), 4u);
    const std::uint8_t states[] = {0, 1, 17, 17};
    const std::uint8_t numbers[] = {44, 43, 46, 47};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(run[i].Present(), 1);  // also when the supply is absent
        EXPECT_EQ(run[i].CurrentState(), states[i]);
        EXPECT_EQ(run[i].SensorNumber(), numbers[i]);
    }
    EXPECT_EQ(testing::Identity(run[0]),
              "0.44 POWER SUPPLY 2: kind 4 type 08/6F entity 0A.2 mask 47 key 2/255 state 0");
    const auto bare = Build(BuildPowerSupplySensors, kPowerSupplyQuery,
                            {{{"PowerSupplyNumber", 1}, {"PowerSupplyPresent", true}}}, 43);
    EXPECT_EQ(bare.counter, 43);           // no MaximumPowerSupplyID
    EXPECT_EQ(bare[0].CurrentState(), 0);  // PowerSupplyFailed missing: not failed
    // PowerSupplyPresent missing: absent.
    EXPECT_EQ(Build(BuildPowerSupplySensors, kPowerSupplyQuery, {{{"PowerSupplyNumber", 1}}})[0]
                  .CurrentState(),
              17);
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
