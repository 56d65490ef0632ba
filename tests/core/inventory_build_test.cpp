#include "inventory/inventory_build.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "fake_processor_info_source.h"
#include "golden_text.h"
#include "inventory/environmental_builders.h"
#include "inventory/system_builders.h"

namespace norv {
namespace {

using testing::EntryWithOemNumbers;
using testing::FakeHealthDataSource;
using testing::FakeProcessorInfoSource;
using testing::FakeProperties;

TEST(NextMultipleOfTen, RaisesToTheNextBlockInEightBits) {
    const std::pair<std::uint8_t, std::uint8_t> cases[] = {
        {0, 10}, {9, 10}, {10, 20}, {19, 20}, {99, 100}, {249, 250}, {250, 4}, {255, 4}};
    for (const auto& [counter, raised] : cases)
        EXPECT_EQ(NextMultipleOfTen(counter), raised) << int{counter};
}

std::vector<FakeProperties> Temperatures(std::int32_t count) {
    std::vector<FakeProperties> objects;
    for (std::int32_t n = 1; n <= count; ++n) {
        objects.push_back({{"TempNumber", n},
                           {"TempLocale", 1},
                           {"TempPresent", true},
                           {"TempCelsius", 40},
                           {"TempThreshold", 80},
                           {"TempShutdownGracefully", true}});
    }
    return objects;
}

std::vector<FakeProperties> Fans() {
    std::vector<FakeProperties> objects;
    for (std::int32_t n = 1; n <= 8; ++n) {
        objects.push_back({{"FanIndex", n},
                           {"FanLocale", n},
                           {"FanPresent", true},
                           {"FanSpeed", 2},
                           {"FanRedCapable", true},
                           {"FanRedGroupId", n <= 4 ? 1 : 2},
                           {"FanMinReqForRedundancy", 3},
                           {"FanMinReqToRun", 2},
                           {"FanSharedGroupingCapable", n == 4 || n == 5},
                           {"FanSharedRedGroupId", 1},
                           {"FanSharedMinReqForRedundancy", 2},
                           {"FanSharedMinReqToRun", 1}});
    }
    return objects;
}

void ServeMemory(FakeHealthDataSource& health, std::int32_t cartridges, std::int32_t modules) {
    health.Serve(kMemorySubsystemQuery, {{{"Present", true},
                                          {"MemorySubsystemStatus", 1},
                                          {"SupportsMirrored", true},
                                          {"NumberCartridges", cartridges},
                                          {"NumberModules", modules}}});
}

// A platform like the host's default one: two processors, seven temperatures, eight fans in
// two groups with a shared group, two power supplies in one group, the recovery timer, the
// light, and sixteen DIMM sockets on the system board, four fitted of every eight.
void ServeDefaultPlatform(FakeHealthDataSource& health) {
    health.Serve(kProcessorNamespace, kProcessorQuery,
                 {{{"SocketDesignation", std::string("Proc 1")}},
                  {{"SocketDesignation", std::string("Proc 2")}}});
    health.Serve(kTemperatureQuery, Temperatures(7));
    health.Serve(kFanGroupQuery, Fans());
    health.Serve(kFanQuery, Fans());
    std::vector<FakeProperties> supplies;
    for (std::int32_t n = 1; n <= 2; ++n) {
        supplies.push_back({{"PowerSupplyNumber", n},
                            {"MaximumPowerSupplyID", 2},
                            {"PowerSupplyPresent", true},
                            {"PowerSupplyRedCapable", true},
                            {"PowerSupplyRedGroupId", 1},
                            {"PowerSupplyMinReqForRedundancy", 2},
                            {"PowerSupplyMinReqToRun", 1}});
    }
    health.Serve(kPowerRedundancyQuery, supplies);
    health.Serve(kPowerSupplyQuery, supplies);
    health.Serve(kAsrQuery, {{{"ASRIsEnabled", true}}});
    health.Serve(kUidLightQuery, {{{"UIDLightState", 2}}});
    ServeMemory(health, 1, 16);
    health.Serve(kMemoryBoardQuery, {{{"CartID", 0}, {"CartStatus", 2}}});
    std::vector<FakeProperties> dimms;
    for (std::int32_t m = 1; m <= 16; ++m) {
        const bool fitted = (m - 1) % 8 < 4;
        dimms.push_back({{"Present", fitted ? 1 : 0},
                         {"CartID", 0},
                         {"ModuleID", m},
                         {"Status", fitted ? 2 : 0}});
    }
    health.Serve(kDimmQuery, dimms);
}

FakeProcessorInfoSource TwoSockets() {
    ProcessorInfo info;
    info.status = ProcessorInfoStatus::Complete;
    info.entries = {EntryWithOemNumbers(0, 1), EntryWithOemNumbers(0, 2)};
    return FakeProcessorInfoSource(info);
}

// Every record of the inventory in one line each, as a reviewed file.
void ExpectGoldenRecords(const SensorInventory& inventory, const std::string& name) {
    std::string text;
    for (std::size_t i = 0; i < inventory.Count(); ++i)
        text += testing::Identity(inventory.At(i)) + "\n";
    test::ExpectGolden(name, text);
}

// Owner id, sensor number, name and presence of each record, in inventory order.
std::vector<std::string> Plan(const SensorInventory& inventory) {
    std::vector<std::string> plan;
    for (std::size_t i = 0; i < inventory.Count(); ++i) {
        const SensorRecord& r = inventory.At(i);
        plan.push_back(std::to_string(r.OwnerId()) + "." + std::to_string(r.SensorNumber()) + " " +
                       r.Name() + (r.Present() ? "" : " (hidden)"));
    }
    return plan;
}

const std::vector<std::string> kFirmwarePlan = {"1.1 POST Error",   "1.2 NMI",
                                                "1.3 Slot Notify",  "1.4 Network Adapters",
                                                "1.5 RTC (hidden)", "0.0 Kron Maintenance (hidden)",
                                                "65.0  (hidden)"};

std::vector<std::string> Joined(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(BuildInventory, DefaultPlatformFollowsTheNumberingPlanAndARebuildReusesTheProcessors) {
    // The first record of each block; default_inventory.txt holds every record.
    const std::pair<std::size_t, std::string> plan[] = {{0, "0.1 CPU 0"},
                                                        {2, "0.10 TEMPERATURE 1"},
                                                        {9, "0.20 FAN GROUP 1"},
                                                        {11, "0.22 FAN SHARED GROUP 1"},
                                                        {12, "0.28 FAN 1"},
                                                        {20, "0.40 Pwr Subsystem"},
                                                        {21, "0.41 POWER GROUP 1 (hidden)"},
                                                        {22, "0.43 POWER SUPPLY 1"},
                                                        {24, "0.50 ASR"},
                                                        {25, "0.51 UID Light signal"},
                                                        {26, "1.1 POST Error"},
                                                        {33, "1.10 Adv Mem Protect"},
                                                        {34, "1.11 SysBoard DIMMs"},
                                                        {36, "1.20 SysBoard DIMM 1"},
                                                        {51, "1.35 SysBoard DIMM 16"}};
    FakeHealthDataSource health;
    ServeDefaultPlatform(health);
    FakeProcessorInfoSource processors = TwoSockets();
    SensorInventory inventory;
    EXPECT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_TRUE(inventory.Valid());
    const std::vector<std::string> lines = Plan(inventory);
    ASSERT_EQ(lines.size(), 52u);
    for (const auto& [index, line] : plan) EXPECT_EQ(lines[index], line);
    ExpectGoldenRecords(inventory, "default_inventory.txt");
    EXPECT_EQ(inventory.At(1).KeyNumber2(), 2);                          // CPU 1 is proc 2
    EXPECT_EQ(inventory.At(inventory.Count() - 16).CurrentState(), 6);   // DIMM 1 fitted
    EXPECT_EQ(inventory.At(inventory.Count() - 12).CurrentState(), 17);  // DIMM 5 empty

    ASSERT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_EQ(Plan(inventory), lines);
    EXPECT_EQ(health.TimesSent(kProcessorNamespace, kProcessorQuery), 1u);
    EXPECT_EQ(health.TimesSent(kHealthNamespace, kTemperatureQuery), 2u);
}

TEST(BuildInventory, AFailingBuilderDoesNotStopTheBuild) {
    FakeHealthDataSource health;
    ServeDefaultPlatform(health);
    std::vector<FakeProperties> fans = Fans();
    fans[3].erase("FanIndex");
    health.Serve(kFanQuery, fans);
    FakeProcessorInfoSource processors = TwoSockets();
    SensorInventory inventory;
    EXPECT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_TRUE(inventory.Valid());
    const std::vector<std::string> plan = Plan(inventory);
    EXPECT_EQ(std::ranges::count_if(plan,
                                    [](const std::string& line) {
                                        return line.find(" FAN ") != std::string::npos &&
                                               line.find("GROUP") == std::string::npos;
                                    }),
              0);  // the fan builder took its three records back
    EXPECT_NE(std::find(plan.begin(), plan.end(), "0.50 ASR"), plan.end());
}

TEST(BuildInventory, MemoryAndPowerBlocksWithoutHealthClassesAndWithCartridges) {
    FakeHealthDataSource health;
    ServeMemory(health, 2, 4);
    FakeProcessorInfoSource processors;
    SensorInventory inventory;
    ASSERT_TRUE(BuildInventory(inventory, health, processors));
    std::vector<std::string> dimms;
    for (int k = 1; k <= 2; ++k)
        for (int m = 1; m <= 4; ++m)
            dimms.push_back("1." + std::to_string(20 + (k - 1) * 4 + m - 1) + " CART " +
                            std::to_string(k) + ": DIMM " + std::to_string(m));
    EXPECT_EQ(Plan(inventory),
              Joined({{"0.30 Pwr Subsystem (hidden)"},
                      kFirmwarePlan,
                      {"1.10 Adv Mem Protect", "1.11 MEM CART 1", "1.12 MEM CART 2",
                       "1.13 MEM CART 1 PIRN", "1.14 MEM CART 2 PIRN"},
                      dimms}));
    ExpectGoldenRecords(inventory, "cartridge_inventory.txt");
}

// Where the block after the temperatures starts, by the number of temperature sensors.
TEST(BuildInventory, FanBlockStartsAtTheNextMultipleOfTen) {
    for (const auto& [temperatures, firstFan] :
         std::vector<std::pair<std::int32_t, int>>{{0, 20}, {9, 20}, {10, 30}, {11, 30}}) {
        FakeHealthDataSource health;
        health.Serve(kTemperatureQuery, Temperatures(temperatures));
        health.Serve(kFanQuery, {{{"FanIndex", 1}}});
        FakeProcessorInfoSource processors;
        SensorInventory inventory;
        ASSERT_TRUE(BuildInventory(inventory, health, processors));
        EXPECT_EQ(Plan(inventory)[static_cast<std::size_t>(temperatures)],
                  "0." + std::to_string(firstFan) + " FAN 1")
            << temperatures;
    }
}

}  // namespace
}  // namespace norv
