#include "inventory/inventory_build.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fake_health_data_source.h"
#include "fake_processor_info_source.h"
#include "golden_text.h"
#include "inventory/environmental_builders.h"
#include "inventory/refresh_rule.h"
#include "inventory/system_builders.h"

namespace norv {
namespace {

using testing::EntryWithOemNumbers;
using testing::FakeHealthDataSource;
using testing::FakeProcessorInfoSource;
using testing::FakeProperties;

TEST(InventoryRules, CasesAsReviewed) {
    test::ExpectCases("inventory_rules.txt", [](const std::string& input) {
        std::istringstream in(input);
        std::string what;
        std::int32_t first = 0, second = 0, third = 0;
        in >> what >> first >> second >> third;
        if (what == "next") return std::to_string(NextMultipleOfTen(static_cast<std::uint8_t>(first)));
        return std::string(IsCacheFresh(first != 0, second, third) ? "fresh" : "stale");
    });
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

// Every record of the inventory in one line each (testing::Identity).
std::string Records(const SensorInventory& inventory) {
    std::string text;
    for (std::size_t i = 0; i < inventory.Count(); ++i)
        text += testing::Identity(inventory.At(i)) + "\n";
    return text;
}

// The numbering plan of the default platform: every record, as a reviewed file.
TEST(BuildInventory, DefaultPlatformFollowsTheNumberingPlanAndARebuildReusesTheProcessors) {
    FakeHealthDataSource health;
    ServeDefaultPlatform(health);
    FakeProcessorInfoSource processors = TwoSockets();
    SensorInventory inventory;
    EXPECT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_TRUE(inventory.Valid());
    const std::string records = Records(inventory);
    test::ExpectGolden("default_inventory.txt", records);
    ASSERT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_EQ(Records(inventory), records);
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
    const std::string records = Records(inventory);
    EXPECT_EQ(records.find(" FAN 1:"), std::string::npos);  // the fan builder took its records back
    EXPECT_NE(records.find("0.50 ASR:"), std::string::npos);
}

TEST(BuildInventory, MemoryAndPowerBlocksWithoutHealthClassesAndWithCartridges) {
    FakeHealthDataSource health;
    ServeMemory(health, 2, 4);
    FakeProcessorInfoSource processors;
    SensorInventory inventory;
    ASSERT_TRUE(BuildInventory(inventory, health, processors));
    test::ExpectGolden("cartridge_inventory.txt", Records(inventory));
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
        EXPECT_EQ(inventory.At(static_cast<std::size_t>(temperatures)).SensorNumber(), firstFan)
            << temperatures;
    }
}

}  // namespace
}  // namespace norv
