#include "inventory/inventory_build.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "fake_processor_info_source.h"
#include "inventory/environmental_builders.h"
#include "inventory/sensor_inventory.h"
#include "inventory/sensor_record.h"
#include "inventory/system_builders.h"

namespace norv {
namespace {

using testing::EntryWithOemNumbers;
using testing::FakeHealthDataSource;
using testing::FakeProcessorInfoSource;
using testing::FakeProperties;

TEST(NextMultipleOfTen, RaisesToTheNextBlockInEightBits) {
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> cases = {
        {0, 10},  {1, 10},   {9, 10},    {10, 20},   {13, 20}, {19, 20},
        {20, 30}, {99, 100}, {245, 250}, {249, 250}, {250, 4}, {255, 4}};
    for (const auto& [counter, raised] : cases) {
        EXPECT_EQ(NextMultipleOfTen(counter), raised) << int{counter};
    }
}

// ---- a platform like the default one of the host: two processors, seven temperatures,
// eight fans in two groups with a shared group, two power supplies in one group, the
// recovery timer, the light, and sixteen DIMM sockets on the system board.

void ServeProcessors(FakeHealthDataSource& health) {
    health.Serve(kProcessorNamespace, kProcessorQuery,
                 {{{"SocketDesignation", std::string("Proc 1")}},
                  {{"SocketDesignation", std::string("Proc 2")}}});
}

std::vector<FakeProperties> Temperatures(std::int32_t count) {
    std::vector<FakeProperties> objects;
    for (std::int32_t n = 1; n <= count; ++n) {
        objects.push_back({{"TempNumber", n},
                           {"TempLocale", 1},
                           {"TempPresent", true},
                           {"TempCelsius", 40},
                           {"TempThreshold", 80},
                           {"TempOverThreshold", false},
                           {"TempImmediatePowerOff", false},
                           {"TempShutdownGracefully", true}});
    }
    return objects;
}

std::vector<FakeProperties> Fans() {
    std::vector<FakeProperties> objects;
    for (std::int32_t n = 1; n <= 8; ++n) {
        const bool shared = n == 4 || n == 5;
        objects.push_back({{"FanIndex", n},
                           {"FanLocale", n},
                           {"FanPresent", true},
                           {"FanPhysicallyFailed", false},
                           {"FanSpeed", 2},
                           {"FanRedCapable", true},
                           {"FanRedGroupId", n <= 4 ? 1 : 2},
                           {"FanMinReqForRedundancy", 3},
                           {"FanMinReqToRun", 2},
                           {"FanSharedGroupingCapable", shared},
                           {"FanSharedRedGroupId", 1},
                           {"FanSharedMinReqForRedundancy", 2},
                           {"FanSharedMinReqToRun", 1}});
    }
    return objects;
}

std::vector<FakeProperties> PowerSupplies() {
    std::vector<FakeProperties> objects;
    for (std::int32_t n = 1; n <= 2; ++n) {
        objects.push_back({{"PowerSupplyNumber", n},
                           {"MaximumPowerSupplyID", 2},
                           {"PowerSupplyPresent", true},
                           {"PowerSupplyFailed", false},
                           {"PowerSupplyRedCapable", true},
                           {"PowerSupplyRedGroupId", 1},
                           {"PowerSupplyMinReqForRedundancy", 2},
                           {"PowerSupplyMinReqToRun", 1}});
    }
    return objects;
}

std::vector<FakeProperties> Dimms() {
    std::vector<FakeProperties> objects;
    for (std::int32_t m = 1; m <= 16; ++m) {
        const bool fitted = (m - 1) % 8 < 4;  // four fitted of every eight
        objects.push_back({{"Present", fitted ? 1 : 0},
                           {"CartID", 0},
                           {"ModuleID", m},
                           {"Status", fitted ? 2 : 0}});
    }
    return objects;
}

void ServeMemory(FakeHealthDataSource& health, std::int32_t cartridges, std::int32_t modules) {
    health.Serve(kMemorySubsystemQuery, {{{"Present", true},
                                          {"MemorySubsystemStatus", 1},
                                          {"SupportsMirrored", true},
                                          {"SupportsOnlineSpare", true},
                                          {"SupportsRAID", false},
                                          {"NumberCartridges", cartridges},
                                          {"NumberModules", modules}}});
}

void ServeDefaultPlatform(FakeHealthDataSource& health) {
    ServeProcessors(health);
    health.Serve(kTemperatureQuery, Temperatures(7));
    health.Serve(kFanGroupQuery, Fans());
    health.Serve(kFanQuery, Fans());
    health.Serve(kPowerRedundancyQuery, PowerSupplies());
    health.Serve(kPowerSupplyQuery, PowerSupplies());
    health.Serve(kAsrQuery, {{{"ASRIsEnabled", true}, {"ASRTimeOut", 10}}});
    health.Serve(kUidLightQuery, {{{"UIDLightState", 2}}});
    ServeMemory(health, 1, 16);
    health.Serve(kMemoryBoardQuery, {{{"CartID", 0}, {"CartStatus", 2}, {"NumModules", 16}}});
    health.Serve(kDimmQuery, Dimms());
}

FakeProcessorInfoSource TwoSockets() {
    ProcessorInfo info;
    info.status = ProcessorInfoStatus::Complete;
    info.entries = {EntryWithOemNumbers(0, 1), EntryWithOemNumbers(0, 2)};
    return FakeProcessorInfoSource(info);
}

struct Planned {
    std::uint8_t ownerId;
    std::uint8_t number;
    std::string name;
    std::uint8_t present;
};

void ExpectPlan(const SensorInventory& inventory, const std::vector<Planned>& plan) {
    ASSERT_EQ(inventory.Count(), plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        SCOPED_TRACE(plan[i].name);
        const SensorRecord& r = inventory.At(i);
        EXPECT_EQ(r.Name(), plan[i].name);
        EXPECT_EQ(r.OwnerId(), plan[i].ownerId);
        EXPECT_EQ(r.SensorNumber(), plan[i].number);
        EXPECT_EQ(r.Present(), plan[i].present);
    }
}

std::vector<Planned> FirmwarePlan() {
    return {{1, 1, "POST Error", 1},  {1, 2, "NMI", 1},
            {1, 3, "Slot Notify", 1}, {1, 4, "Network Adapters", 1},
            {1, 5, "RTC", 0},         {0, 0, "Kron Maintenance", 0},
            {0x41, 0, "", 0}};
}

TEST(BuildInventory, DefaultPlatformFollowsTheNumberingPlan) {
    std::vector<Planned> plan = {{0, 1, "CPU 0", 1}, {0, 2, "CPU 1", 1}};
    for (std::uint8_t n = 1; n <= 7; ++n) {
        plan.push_back(
            {0, static_cast<std::uint8_t>(9 + n), "TEMPERATURE " + std::to_string(n), 1});
    }
    plan.push_back({0, 20, "FAN GROUP 1", 1});
    plan.push_back({0, 21, "FAN GROUP 2", 1});
    plan.push_back({0, 22, "FAN SHARED GROUP 1", 1});
    for (std::uint8_t n = 1; n <= 8; ++n) {
        plan.push_back({0, static_cast<std::uint8_t>(27 + n), "FAN " + std::to_string(n), 1});
    }
    plan.push_back({0, 40, "Pwr Subsystem", 1});
    plan.push_back({0, 41, "POWER GROUP 1", 0});  // one group only
    plan.push_back({0, 43, "POWER SUPPLY 1", 1});
    plan.push_back({0, 44, "POWER SUPPLY 2", 1});
    plan.push_back({0, 50, "ASR", 1});
    plan.push_back({0, 51, "UID Light signal", 1});
    for (const Planned& firmware : FirmwarePlan()) {
        plan.push_back(firmware);
    }
    plan.push_back({1, 10, "Adv Mem Protect", 1});
    plan.push_back({1, 11, "SysBoard DIMMs", 1});
    plan.push_back({1, 12, "MEM CART 0 PIRN", 0});
    for (std::uint8_t m = 1; m <= 16; ++m) {
        plan.push_back(
            {1, static_cast<std::uint8_t>(19 + m), "SysBoard DIMM " + std::to_string(m), 1});
    }

    FakeHealthDataSource health;
    ServeDefaultPlatform(health);
    FakeProcessorInfoSource processors = TwoSockets();
    SensorInventory inventory;

    EXPECT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_TRUE(inventory.Valid());
    ExpectPlan(inventory, plan);

    // A few states that show the platform's data reached the records.
    EXPECT_EQ(inventory.At(1).KeyNumber2(), 2);                          // CPU 1 is proc 2
    EXPECT_EQ(inventory.At(inventory.Count() - 16).CurrentState(), 6);   // DIMM 1 fitted
    EXPECT_EQ(inventory.At(inventory.Count() - 12).CurrentState(), 17);  // DIMM 5 empty
}

TEST(BuildInventory, RebuildReplacesRecordsAndReusesProcessorObjects) {
    FakeHealthDataSource health;
    ServeDefaultPlatform(health);
    FakeProcessorInfoSource processors = TwoSockets();
    SensorInventory inventory;

    ASSERT_TRUE(BuildInventory(inventory, health, processors));
    const std::size_t count = inventory.Count();
    ASSERT_TRUE(BuildInventory(inventory, health, processors));

    EXPECT_EQ(inventory.Count(), count);
    EXPECT_EQ(health.TimesSent(kProcessorNamespace, kProcessorQuery), 1u);
    EXPECT_EQ(health.TimesSent(kHealthNamespace, kTemperatureQuery), 2u);
}

TEST(BuildInventory, NoHealthClassesLeavesProcessorsFirmwareAndAHiddenPowerSubsystem) {
    FakeHealthDataSource health;
    ServeProcessors(health);
    FakeProcessorInfoSource processors = TwoSockets();
    SensorInventory inventory;

    EXPECT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_TRUE(inventory.Valid());
    std::vector<Planned> plan = {
        {0, 1, "CPU 0", 1}, {0, 2, "CPU 1", 1}, {0, 30, "Pwr Subsystem", 0}};
    for (const Planned& firmware : FirmwarePlan()) {
        plan.push_back(firmware);
    }
    ExpectPlan(inventory, plan);
}

TEST(BuildInventory, FailingBuilderDoesNotStopTheBuild) {
    FakeHealthDataSource health;
    ServeDefaultPlatform(health);
    std::vector<FakeProperties> fans = Fans();
    fans[3].erase("FanIndex");
    health.Serve(kFanQuery, fans);
    FakeProcessorInfoSource processors = TwoSockets();
    SensorInventory inventory;

    EXPECT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_TRUE(inventory.Valid());
    std::size_t fanRecords = 0;
    bool asrFound = false;
    for (std::size_t i = 0; i < inventory.Count(); ++i) {
        fanRecords += inventory.At(i).Kind() == SensorKind::Fan ? 1 : 0;
        asrFound = asrFound || inventory.At(i).Name() == "ASR";
    }
    EXPECT_EQ(fanRecords, 0u);  // the fan builder took its three records back
    EXPECT_TRUE(asrFound);
}

// Where the block after the temperatures starts, by the number of temperature sensors.
TEST(BuildInventory, FanBlockStartsAtTheNextMultipleOfTen) {
    const std::vector<std::pair<std::int32_t, std::uint8_t>> cases = {
        {0, 20}, {3, 20}, {9, 20}, {10, 30}, {11, 30}};
    for (const auto& [temperatures, firstFan] : cases) {
        SCOPED_TRACE(temperatures);
        FakeHealthDataSource health;
        health.Serve(kTemperatureQuery, Temperatures(temperatures));
        health.Serve(kFanQuery, {{{"FanIndex", 1}}});
        FakeProcessorInfoSource processors;
        SensorInventory inventory;
        ASSERT_TRUE(BuildInventory(inventory, health, processors));
        ASSERT_GE(inventory.Count(), static_cast<std::size_t>(temperatures) + 1);
        const SensorRecord& fan = inventory.At(static_cast<std::size_t>(temperatures));
        EXPECT_EQ(fan.Name(), "FAN 1");
        EXPECT_EQ(fan.SensorNumber(), firstFan);
    }
}

TEST(BuildInventory, TwoCartridgesOfFourModules) {
    FakeHealthDataSource health;
    ServeMemory(health, 2, 4);
    FakeProcessorInfoSource processors;
    SensorInventory inventory;
    ASSERT_TRUE(BuildInventory(inventory, health, processors));

    std::vector<Planned> plan = {{0, 30, "Pwr Subsystem", 0}};
    for (const Planned& firmware : FirmwarePlan()) {
        plan.push_back(firmware);
    }
    plan.push_back({1, 10, "Adv Mem Protect", 1});
    plan.push_back({1, 11, "MEM CART 1", 1});
    plan.push_back({1, 12, "MEM CART 2", 1});
    plan.push_back({1, 13, "MEM CART 1 PIRN", 1});
    plan.push_back({1, 14, "MEM CART 2 PIRN", 1});
    for (std::uint8_t k = 1; k <= 2; ++k) {
        for (std::uint8_t m = 1; m <= 4; ++m) {
            plan.push_back({1, static_cast<std::uint8_t>(20 + (k - 1) * 4 + m - 1),
                            "CART " + std::to_string(k) + ": DIMM " + std::to_string(m), 1});
        }
    }
    ExpectPlan(inventory, plan);
}

}  // namespace
}  // namespace norv
