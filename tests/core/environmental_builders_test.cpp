#include "inventory/environmental_builders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "inventory/redundancy_group.h"
#include "inventory/sensor_inventory.h"
#include "inventory/sensor_record.h"

namespace norv {
namespace {

using testing::FakeHealthDataSource;
using testing::FakeProperties;

// The query texts as the health driver's classes are asked, written out independently of
// the builders' constants. The temperature query has two blanks before FROM.
constexpr const char* kTemperatureWql =
    "SELECT TempBlowout, TempCelsius, TempImmediatePowerOff, TempLocale, TempNumber, "
    "TempOverThreshold, TempPhysicallyFailed, TempPresent, TempShutdownGracefully, "
    "TempThreshold  FROM TempSensorInfo";
constexpr const char* kFanGroupWql =
    "SELECT FanLocale, FanPresent, FanPhysicallyFailed, FanRedundant, FanRedCapable, "
    "FanRedGroupId, FanMinReqForRedundancy, FanMinReqToRun, FanSharedGroupingCapable, "
    "FanSharedRedGroupId, FanSharedMinReqForRedundancy, FanSharedMinReqToRun FROM FanInfo";
constexpr const char* kFanWql =
    "SELECT FanIndex, FanLocale, FanPresent, FanType, FanSpeed, FanPhysicallyFailed FROM "
    "FanInfo";
constexpr const char* kPowerRedundancyWql =
    "SELECT PowerSupplyNumber, PowerSupplyPresent, PowerSupplyFailed, PowerSupplyRedCapable, "
    "PowerSupplyRedGroupId, PowerSupplyMinReqForRedundancy, PowerSupplyMinReqToRun, "
    "MaximumPowerSupplyID, NumPowerSuppliesSupportedByChassis, PowerSupplyIsRedundant FROM "
    "PowerSupplyInfo";
constexpr const char* kPowerSupplyWql =
    "SELECT PowerSupplyNumber, PowerSupplyPresent, PowerSupplyFailed, MaximumPowerSupplyID "
    "FROM PowerSupplyInfo";

using Builder = std::function<bool(SensorInventory&, HealthDataSource&, std::uint8_t&)>;

struct BuilderCase {
    const char* name;
    Builder build;
    const char* wql;
    std::size_t recordsWithoutData;
    std::uint8_t counterAdvanceWithoutData;
};

const std::vector<BuilderCase>& AllBuilders() {
    static const std::vector<BuilderCase> cases = {
        {"temperature", BuildTemperatureSensors, kTemperatureWql, 0, 0},
        {"fan group", BuildFanGroupSensors, kFanGroupWql, 0, 0},
        {"fan", BuildFanSensors, kFanWql, 0, 0},
        {"power redundancy", BuildPowerRedundancySensors, kPowerRedundancyWql, 1, 1},
        {"power supply", BuildPowerSupplySensors, kPowerSupplyWql, 0, 0},
    };
    return cases;
}

TEST(EnvironmentalBuilders, EachSendsItsExactQueryOnceToRootWmi) {
    for (const BuilderCase& c : AllBuilders()) {
        SCOPED_TRACE(c.name);
        FakeHealthDataSource source;
        SensorInventory inventory;
        std::uint8_t counter = 10;
        c.build(inventory, source, counter);
        ASSERT_EQ(source.SentQueries().size(), 1u);
        EXPECT_EQ(source.SentQueries()[0].nameSpace, "root\\wmi");
        EXPECT_EQ(source.SentQueries()[0].wql, c.wql);
    }
}

TEST(EnvironmentalBuilders, MissingClassAddsNothingButThePowerSubsystem) {
    for (const BuilderCase& c : AllBuilders()) {
        SCOPED_TRACE(c.name);
        FakeHealthDataSource source;
        SensorInventory inventory;
        inventory.SetValid(true);
        std::uint8_t counter = 30;
        EXPECT_TRUE(c.build(inventory, source, counter));
        EXPECT_EQ(inventory.Count(), c.recordsWithoutData);
        EXPECT_EQ(counter, 30 + c.counterAdvanceWithoutData);
        EXPECT_TRUE(inventory.Valid());
    }
}

// ---- temperatures

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

std::vector<SensorRecord> Records(const SensorInventory& inventory) {
    std::vector<SensorRecord> records;
    for (std::size_t i = 0; i < inventory.Count(); ++i) {
        records.push_back(inventory.At(i));
    }
    return records;
}

TEST(TemperatureBuilder, GracefulShutdownSensorCarriesOnlyAnUpperCriticalThreshold) {
    FakeHealthDataSource source;
    FakeProperties sensor = Temperature(3, 45, 80);
    sensor["TempShutdownGracefully"] = true;
    source.Serve(kTemperatureWql, {Temperature(1, 30, 70), sensor});
    SensorInventory inventory;
    std::uint8_t counter = 10;

    ASSERT_TRUE(BuildTemperatureSensors(inventory, source, counter));

    EXPECT_EQ(counter, 12);  // by the number of objects, not by the highest TempNumber
    ASSERT_EQ(inventory.Count(), 2u);
    const SensorRecord& r = inventory.At(1);
    EXPECT_EQ(r.Present(), 1);
    EXPECT_EQ(r.SensorNumber(), 12);  // 10 + 3 - 1
    EXPECT_EQ(r.OwnerId(), 0);
    EXPECT_EQ(r.OwnerLun(), 0);
    EXPECT_EQ(r.SensorType(), 0x01u);
    EXPECT_EQ(r.EventReadingType(), 0x01u);
    EXPECT_EQ(r.Name(), "TEMPERATURE 3");
    EXPECT_EQ(r.Kind(), SensorKind::Temperature);
    EXPECT_EQ(r.EntityId(), 0x08u);  // locale 4: memory module
    EXPECT_EQ(r.EntityInstance(), 0);
    EXPECT_EQ(r.CurrentReading(), 450);
    EXPECT_EQ(r.BaseUnits(), 2);
    EXPECT_EQ(r.UnitModifier(), -1);
    EXPECT_EQ(r.RateUnits(), 0);
    EXPECT_TRUE(r.HasField(kFieldRateUnits));
    EXPECT_EQ(r.NominalReading(), 500);
    EXPECT_EQ(r.NormalMax(), 1000);
    EXPECT_EQ(r.NormalMin(), 60);
    EXPECT_EQ(r.MaxReadable(), 1270);
    EXPECT_EQ(r.MinReadable(), 0);
    EXPECT_EQ(r.StateMask(), kThresholdUpperCritical);
    EXPECT_EQ(r.UpperCritical(), 800);
    EXPECT_EQ(r.CurrentState(), 16);
    EXPECT_EQ(inventory.At(0).SensorNumber(), 10);
}

struct ThresholdCase {
    const char* name;
    bool immediatePowerOff;
    bool shutdownGracefully;
    std::uint16_t thresholdBit;
    std::function<std::int32_t(const SensorRecord&)> threshold;
    std::uint8_t overState;
};

TEST(TemperatureBuilder, OverThresholdReadsTheOffsetOfItsOneThreshold) {
    const std::vector<ThresholdCase> cases = {
        {"immediate power off", true, false, 0x20,
         [](const SensorRecord& r) { return r.UpperNonRecoverable(); }, 5},
        {"power off wins over shutdown", true, true, 0x20,
         [](const SensorRecord& r) { return r.UpperNonRecoverable(); }, 5},
        {"graceful shutdown", false, true, 0x10,
         [](const SensorRecord& r) { return r.UpperCritical(); }, 4},
        {"no action", false, false, 0x08,
         [](const SensorRecord& r) { return r.UpperNonCritical(); }, 3},
    };
    for (const ThresholdCase& c : cases) {
        for (bool over : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (over ? ", over" : ", under"));
            FakeHealthDataSource source;
            FakeProperties sensor = Temperature(1, 90, 85);
            sensor["TempImmediatePowerOff"] = c.immediatePowerOff;
            sensor["TempShutdownGracefully"] = c.shutdownGracefully;
            sensor["TempOverThreshold"] = over;
            source.Serve(kTemperatureWql, {sensor});
            SensorInventory inventory;
            std::uint8_t counter = 10;
            ASSERT_TRUE(BuildTemperatureSensors(inventory, source, counter));
            ASSERT_EQ(inventory.Count(), 1u);
            const SensorRecord& r = inventory.At(0);
            EXPECT_EQ(r.StateMask(), c.thresholdBit);
            EXPECT_EQ(c.threshold(r), 850);
            EXPECT_EQ(r.CurrentState(), over ? c.overState : 16);
        }
    }
}

TEST(TemperatureBuilder, ReadingIsCappedAndNominalTruncates) {
    struct Case {
        std::int32_t celsius;
        std::int32_t threshold;
        std::int32_t reading;
        std::int32_t nominal;
    };
    const std::vector<Case> cases = {
        {127, 85, 1270, 520},  // (105 / 2) x 10
        {128, 80, 1270, 500},
        {130, -25, 1270, -20},  // -5 / 2 truncates toward zero
        {-3, -27, -30, -30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.celsius);
        FakeHealthDataSource source;
        source.Serve(kTemperatureWql, {Temperature(1, c.celsius, c.threshold)});
        SensorInventory inventory;
        std::uint8_t counter = 10;
        ASSERT_TRUE(BuildTemperatureSensors(inventory, source, counter));
        EXPECT_EQ(inventory.At(0).CurrentReading(), c.reading);
        EXPECT_EQ(inventory.At(0).NominalReading(), c.nominal);
    }
}

TEST(TemperatureBuilder, MissingPropertiesKeepTheirDefaults) {
    FakeHealthDataSource source;
    source.Serve(kTemperatureWql, {{{"TempPresent", true}, {"TempNumber", 2}}});
    SensorInventory inventory;
    std::uint8_t counter = 10;
    ASSERT_TRUE(BuildTemperatureSensors(inventory, source, counter));
    const SensorRecord& r = inventory.At(0);
    EXPECT_EQ(r.EntityId(), 0x07u);  // locale 0: system board
    EXPECT_EQ(r.CurrentReading(), 0);
    EXPECT_EQ(r.NominalReading(), 100);
    EXPECT_EQ(r.StateMask(), kThresholdUpperNonCritical);
    EXPECT_EQ(r.UpperNonCritical(), 0);
    EXPECT_EQ(r.CurrentState(), 16);
}

TEST(TemperatureBuilder, AbsentSensorWithoutNumberIsKeptHidden) {
    FakeHealthDataSource source;
    source.Serve(kTemperatureWql, {{{"TempPresent", false}, {"TempCelsius", 20}}});
    SensorInventory inventory;
    std::uint8_t counter = 10;
    ASSERT_TRUE(BuildTemperatureSensors(inventory, source, counter));
    ASSERT_EQ(inventory.Count(), 1u);
    EXPECT_EQ(inventory.At(0).Present(), 0);
    EXPECT_EQ(inventory.At(0).SensorNumber(), 9);  // 10 + 0 - 1
}

// ---- key-property failures

struct FailureCase {
    const char* name;
    Builder build;
    const char* wql;
    std::vector<FakeProperties> objects;
    std::uint8_t counterAfter;
};

TEST(EnvironmentalBuilders, UnreadableKeyRemovesThisRunsRecordsOnly) {
    const std::vector<FailureCase> cases = {
        {"temperature",
         BuildTemperatureSensors,
         kTemperatureWql,
         {Temperature(1, 40, 80), Temperature(2, 40, 80), {{"TempPresent", true}}},
         23},
        {"fan",
         BuildFanSensors,
         kFanWql,
         {{{"FanIndex", 1}, {"FanPresent", true}}, {{"FanPresent", true}}},
         22},
        {"power supply",
         BuildPowerSupplySensors,
         kPowerSupplyWql,
         {{{"PowerSupplyNumber", 1}, {"MaximumPowerSupplyID", 4}}, {{"PowerSupplyPresent", true}}},
         24},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
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

// ---- fans

FakeProperties Fan(std::int32_t index, bool present, bool failed, std::int32_t speed) {
    return {{"FanIndex", index},
            {"FanLocale", 9},
            {"FanPresent", present},
            {"FanPhysicallyFailed", failed},
            {"FanSpeed", speed}};
}

TEST(FanBuilder, StateFollowsPresenceFailureAndSpeed) {
    struct Case {
        const char* name;
        bool present;
        bool failed;
        std::int32_t speed;
        std::uint8_t state;
    };
    const std::vector<Case> cases = {
        {"absent", false, false, 2, 17},
        {"absent and failed", false, true, 2, 17},
        {"failed", true, true, 2, 6},
        {"speed 1", true, false, 1, 7},
        {"speed 2", true, false, 2, 3},
        {"speed 3", true, false, 3, 4},
        {"speed 0", true, false, 0, 17},
        {"speed 4", true, false, 4, 17},
        {"speed 258 is 2 in the low byte", true, false, 258, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHealthDataSource source;
        source.Serve(kFanWql, {Fan(3, c.present, c.failed, c.speed)});
        SensorInventory inventory;
        std::uint8_t counter = 20;
        ASSERT_TRUE(BuildFanSensors(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 1u);
        const SensorRecord& r = inventory.At(0);
        EXPECT_EQ(r.Present(), 1);
        EXPECT_EQ(r.CurrentState(), c.state);
    }
}

TEST(FanBuilder, RecordIdentity) {
    FakeHealthDataSource source;
    source.Serve(kFanWql, {Fan(3, true, false, 2), Fan(1, true, false, 2)});
    SensorInventory inventory;
    std::uint8_t counter = 250;
    ASSERT_TRUE(BuildFanSensors(inventory, source, counter));
    EXPECT_EQ(counter, 252);
    const SensorRecord& r = inventory.At(0);
    EXPECT_EQ(r.SensorNumber(), 252);  // 250 + 3 - 1
    EXPECT_EQ(r.SensorType(), 0x04u);
    EXPECT_EQ(r.EventReadingType(), 0x0Au);
    EXPECT_EQ(r.StateMask(), 0xDC);
    EXPECT_EQ(r.Name(), "FAN 3");
    EXPECT_EQ(r.EntityId(), 0x17u);  // locale 9: system chassis
    EXPECT_EQ(r.EntityInstance(), 0);
    EXPECT_EQ(inventory.At(1).SensorNumber(), 250);
}

TEST(FanBuilder, SensorNumbersWrapInEightBits) {
    FakeHealthDataSource source;
    source.Serve(kFanWql, {Fan(10, true, false, 2)});
    SensorInventory inventory;
    std::uint8_t counter = 250;
    ASSERT_TRUE(BuildFanSensors(inventory, source, counter));
    EXPECT_EQ(inventory.At(0).SensorNumber(), 3);  // 259 mod 256
    EXPECT_EQ(counter, 251);
}

// ---- fan groups

FakeProperties GroupFan(std::int32_t locale, bool healthy, std::int32_t group,
                        std::int32_t minForRedundancy, std::int32_t minToRun) {
    return {{"FanLocale", locale},
            {"FanPresent", true},
            {"FanPhysicallyFailed", !healthy},
            {"FanRedCapable", true},
            {"FanRedGroupId", group},
            {"FanMinReqForRedundancy", minForRedundancy},
            {"FanMinReqToRun", minToRun},
            {"FanSharedGroupingCapable", false}};
}

TEST(FanGroupBuilder, GroupStateFromHealthyMembersAndMinimums) {
    struct Case {
        const char* name;
        int healthyFans;
        std::int32_t minForRedundancy;
        std::int32_t minToRun;
        std::uint8_t state;
    };
    const std::vector<Case> cases = {
        {"all healthy", 3, 3, 2, 0},
        {"one failed, redundancy lost", 2, 3, 2, 1},
        {"one failed, redundancy degraded", 2, 2, 1, 2},
        {"two failed, insufficient", 1, 3, 2, 5},
        {"none healthy, nothing needed", 0, 0, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<FakeProperties> fans;
        for (int i = 0; i < 3; ++i) {
            fans.push_back(GroupFan(i + 1, i < c.healthyFans, 1, c.minForRedundancy, c.minToRun));
        }
        FakeHealthDataSource source;
        source.Serve(kFanGroupWql, fans);
        SensorInventory inventory;
        std::uint8_t counter = 20;
        ASSERT_TRUE(BuildFanGroupSensors(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 1u);
        EXPECT_EQ(inventory.At(0).CurrentState(), c.state);
        EXPECT_EQ(counter, 23);  // three fans, one group
    }
}

TEST(FanGroupBuilder, AbsentFanIsNotHealthy) {
    FakeProperties absent = GroupFan(2, true, 1, 2, 1);
    absent["FanPresent"] = false;
    FakeHealthDataSource source;
    source.Serve(kFanGroupWql, {GroupFan(1, true, 1, 2, 1), absent});
    SensorInventory inventory;
    std::uint8_t counter = 20;
    ASSERT_TRUE(BuildFanGroupSensors(inventory, source, counter));
    EXPECT_EQ(inventory.At(0).CurrentState(), 1);  // 1 healthy: short of 2, enough to run
}

TEST(FanGroupBuilder, RecordsOfRedundantAndSharedGroups) {
    FakeProperties shared1 = GroupFan(16, true, 2, 1, 1);  // locale 16: no mask bit
    shared1["FanSharedGroupingCapable"] = true;
    shared1["FanSharedRedGroupId"] = 1;
    shared1["FanSharedMinReqForRedundancy"] = 1;
    shared1["FanSharedMinReqToRun"] = 1;
    FakeProperties shared2 = GroupFan(9, false, 2, 5, 5);  // minimums of the first member stay
    shared2["FanSharedGroupingCapable"] = true;
    shared2["FanSharedRedGroupId"] = 1;
    shared2["FanSharedMinReqForRedundancy"] = 5;
    shared2["FanSharedMinReqToRun"] = 5;
    FakeHealthDataSource source;
    source.Serve(kFanGroupWql,
                 {GroupFan(0, true, 1, 1, 1), GroupFan(3, true, 1, 1, 1), shared1, shared2});
    SensorInventory inventory;
    std::uint8_t counter = 20;
    ASSERT_TRUE(BuildFanGroupSensors(inventory, source, counter));
    ASSERT_EQ(inventory.Count(), 3u);  // groups 1 and 2, shared group 1
    EXPECT_EQ(counter, 24);            // four fans outnumber three groups

    const SensorRecord& g1 = inventory.At(0);
    EXPECT_EQ(g1.Present(), 1);
    EXPECT_EQ(g1.SensorNumber(), 20);
    EXPECT_EQ(g1.Name(), "FAN GROUP 1");
    EXPECT_EQ(g1.Kind(), SensorKind::FanGroup);
    EXPECT_EQ(g1.KeyNumber1(), 0x09);  // fans 0 and 3
    EXPECT_EQ(g1.KeyNumber2(), 0x00);
    EXPECT_EQ(g1.SensorType(), 0x04u);
    EXPECT_EQ(g1.EntityId(), 0x1Eu);
    EXPECT_EQ(g1.EntityInstance(), 1);
    EXPECT_EQ(g1.EventReadingType(), 0x0Bu);
    EXPECT_EQ(g1.StateMask(), 0x27);
    EXPECT_EQ(g1.CurrentState(), 0);

    const SensorRecord& g2 = inventory.At(1);
    EXPECT_EQ(g2.SensorNumber(), 21);
    EXPECT_EQ(g2.KeyNumber1(), 0x00);  // locale 16 has no bit
    EXPECT_EQ(g2.KeyNumber2(), 0x02);  // locale 9
    EXPECT_EQ(g2.CurrentState(), 2);   // 1 healthy of 2, needs 1 for redundancy

    const SensorRecord& s1 = inventory.At(2);
    EXPECT_EQ(s1.SensorNumber(), 22);  // after the two redundant groups: 20 + 2 + 1 - 1
    EXPECT_EQ(s1.Name(), "FAN SHARED GROUP 1");
    EXPECT_EQ(s1.Kind(), SensorKind::FanSharedGroup);
    EXPECT_EQ(s1.KeyNumber2(), 0x02);
    EXPECT_EQ(s1.CurrentState(), 2);  // minimum 1 of the first member, not 5
}

TEST(FanGroupBuilder, FansWithoutRedundancyMakeNoGroupButAdvanceTheCounter) {
    FakeHealthDataSource source;
    source.Serve(kFanGroupWql, {{{"FanPresent", true}}, {{"FanPresent", true}}});
    SensorInventory inventory;
    std::uint8_t counter = 20;
    ASSERT_TRUE(BuildFanGroupSensors(inventory, source, counter));
    EXPECT_EQ(inventory.Count(), 0u);
    EXPECT_EQ(counter, 22);
}

// ---- power redundancy

FakeProperties RedundantSupply(bool present, bool failed, std::int32_t group,
                               std::int32_t minForRedundancy, std::int32_t minToRun) {
    return {{"PowerSupplyPresent", present},
            {"PowerSupplyFailed", failed},
            {"PowerSupplyRedCapable", true},
            {"PowerSupplyRedGroupId", group},
            {"PowerSupplyMinReqForRedundancy", minForRedundancy},
            {"PowerSupplyMinReqToRun", minToRun}};
}

TEST(PowerRedundancyBuilder, SingleGroupIsShownOnlyAsTheSubsystem) {
    FakeHealthDataSource source;
    source.Serve(kPowerRedundancyWql,
                 {RedundantSupply(true, false, 1, 2, 1), RedundantSupply(true, true, 1, 2, 1)});
    SensorInventory inventory;
    std::uint8_t counter = 40;
    ASSERT_TRUE(BuildPowerRedundancySensors(inventory, source, counter));
    ASSERT_EQ(inventory.Count(), 2u);
    EXPECT_EQ(counter, 43);  // 1 + two supplies

    const SensorRecord& subsystem = inventory.At(0);
    EXPECT_EQ(subsystem.Present(), 1);
    EXPECT_EQ(subsystem.SensorNumber(), 40);
    EXPECT_EQ(subsystem.Name(), "Pwr Subsystem");
    EXPECT_EQ(subsystem.SensorType(), 0x08u);
    EXPECT_EQ(subsystem.EntityId(), 0x13u);
    EXPECT_EQ(subsystem.EventReadingType(), 0x0Bu);
    EXPECT_EQ(subsystem.StateMask(), 0xFF);
    EXPECT_EQ(subsystem.CurrentState(), 1);  // 1 healthy: below 2 for redundancy, enough to run

    const SensorRecord& group = inventory.At(1);
    EXPECT_EQ(group.Present(), 0);
    EXPECT_EQ(group.SensorNumber(), 41);  // 41 + 1 - 1
    EXPECT_EQ(group.Name(), "POWER GROUP 1");
    EXPECT_EQ(group.Kind(), SensorKind::PowerGroup);
    EXPECT_EQ(group.EntityId(), 0x13u);
    EXPECT_EQ(group.EntityInstance(), 1);
    EXPECT_EQ(group.StateMask(), 0x27);
    EXPECT_EQ(group.CurrentState(), 1);
}

TEST(PowerRedundancyBuilder, SubsystemStateIsTheLevelEveryGroupReaches) {
    struct Case {
        const char* name;
        std::vector<FakeProperties> supplies;
        std::uint8_t subsystemState;
    };
    const std::vector<Case> cases = {
        {"both fully redundant",
         {RedundantSupply(true, false, 1, 1, 1), RedundantSupply(true, false, 2, 1, 1)},
         0},
        {"one degraded",
         {RedundantSupply(true, false, 1, 1, 1), RedundantSupply(true, false, 2, 1, 1),
          RedundantSupply(false, false, 2, 1, 1)},
         2},
        {"one lost",
         {RedundantSupply(true, false, 1, 1, 1), RedundantSupply(true, false, 2, 2, 1),
          RedundantSupply(true, true, 2, 2, 1)},
         1},
        {"one insufficient",
         {RedundantSupply(true, false, 1, 1, 1), RedundantSupply(true, true, 2, 2, 1)},
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHealthDataSource source;
        source.Serve(kPowerRedundancyWql, c.supplies);
        SensorInventory inventory;
        std::uint8_t counter = 40;
        ASSERT_TRUE(BuildPowerRedundancySensors(inventory, source, counter));
        ASSERT_EQ(inventory.Count(), 3u);
        EXPECT_EQ(inventory.At(0).CurrentState(), c.subsystemState);
        EXPECT_EQ(inventory.At(1).Present(), 1);  // two groups are both shown
        EXPECT_EQ(inventory.At(2).Present(), 1);
        EXPECT_EQ(inventory.At(2).SensorNumber(), 42);  // 41 + 2 - 1
        EXPECT_EQ(counter, 41u + c.supplies.size());
    }
}

TEST(PowerRedundancyBuilder, NoCapableSupplyLeavesAHiddenSubsystem) {
    FakeHealthDataSource source;
    source.Serve(kPowerRedundancyWql, {{{"PowerSupplyPresent", true}},
                                       {{"PowerSupplyPresent", true}},
                                       {{"PowerSupplyPresent", false}}});
    SensorInventory inventory;
    std::uint8_t counter = 40;
    ASSERT_TRUE(BuildPowerRedundancySensors(inventory, source, counter));
    ASSERT_EQ(inventory.Count(), 1u);
    EXPECT_EQ(inventory.At(0).Present(), 0);
    EXPECT_EQ(inventory.At(0).CurrentState(), 0);
    EXPECT_EQ(counter, 44);  // 1 + three supplies
}

// ---- power supplies

FakeProperties Supply(std::int32_t number, bool present, bool failed) {
    return {{"PowerSupplyNumber", number},
            {"PowerSupplyPresent", present},
            {"PowerSupplyFailed", failed},
            {"MaximumPowerSupplyID", 6}};
}

TEST(PowerSupplyBuilder, StatesAndIdentity) {
    FakeHealthDataSource source;
    source.Serve(kPowerSupplyWql, {Supply(2, true, false), Supply(1, true, true),
                                   Supply(4, false, false), Supply(5, false, true)});
    SensorInventory inventory;
    std::uint8_t counter = 43;
    ASSERT_TRUE(BuildPowerSupplySensors(inventory, source, counter));
    EXPECT_EQ(counter, 49);  // by MaximumPowerSupplyID of the first object
    const std::vector<SensorRecord> records = Records(inventory);
    ASSERT_EQ(records.size(), 4u);
    const std::vector<std::uint8_t> states = {0, 1, 17, 17};
    const std::vector<std::uint8_t> numbers = {44, 43, 46, 47};
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i].Present(), 1);  // also when the supply is absent
        EXPECT_EQ(records[i].CurrentState(), states[i]);
        EXPECT_EQ(records[i].SensorNumber(), numbers[i]);
        EXPECT_EQ(records[i].SensorType(), 0x08u);
        EXPECT_EQ(records[i].EntityId(), 0x0Au);
        EXPECT_EQ(records[i].EventReadingType(), 0x6Fu);
        EXPECT_EQ(records[i].StateMask(), 0x47);
    }
    EXPECT_EQ(records[0].Name(), "POWER SUPPLY 2");
    EXPECT_EQ(records[0].EntityInstance(), 2);
}

TEST(PowerSupplyBuilder, MissingMaximumIdLeavesTheCounter) {
    FakeHealthDataSource source;
    source.Serve(kPowerSupplyWql, {{{"PowerSupplyNumber", 1}, {"PowerSupplyPresent", true}}});
    SensorInventory inventory;
    std::uint8_t counter = 43;
    ASSERT_TRUE(BuildPowerSupplySensors(inventory, source, counter));
    EXPECT_EQ(counter, 43);
    EXPECT_EQ(inventory.At(0).CurrentState(), 0);  // PowerSupplyFailed missing: not failed
}

// ---- redundancy tally

TEST(RedundancyGroup, AddMemberKeepsOrderFirstMinimumsAndMaskBits) {
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
    EXPECT_EQ(groups[1].healthyCount, 0);
}

TEST(RedundancyGroup, MinimumsCompareSigned) {
    RedundancyGroup group;
    group.memberCount = 2;
    group.healthyCount = 0;
    group.minForRedundancy = -1;
    EXPECT_EQ(RedundancyState(group), kRedundancyDegraded);
    group.minForRedundancy = 1;
    group.minToRun = -1;
    EXPECT_EQ(RedundancyState(group), kRedundancyLost);
    EXPECT_EQ(SubsystemRedundancyState({}), kFullyRedundant);
}

}  // namespace
}  // namespace norv
