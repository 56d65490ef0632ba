#include "inventory/inventory_build.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "fake_health_data_source.h"
#include "fake_processor_info_source.h"
#include "inventory/environmental_builders.h"
#include "inventory/refresh_rule.h"
#include "inventory/system_builders.h"
#include "support/case_file.h"

namespace norv {
namespace {

using testing::FakeHealthDataSource;
using testing::FakeProcessorInfoSource;

std::int32_t fakeNow = 1000;

// A cache's freshness after steps at a fake clock: "refresh", "invalidate", "tick N".
std::string FreshnessAfter(const std::string& steps) {
    fakeNow = 1000;
    CacheFreshness freshness([] { return fakeNow; });
    std::istringstream in(steps);
    for (std::string step; in >> step;) {
        if (step == "refresh") freshness.Refreshed();
        if (step == "invalidate") freshness.Invalidate();
        if (step == "tick") {
            std::int32_t seconds = 0;
            in >> seconds;
            fakeNow += seconds;
        }
    }
    return freshness.Fresh() ? "fresh" : "stale";
}

TEST(InventoryRules, CasesAsReviewed) {
    test::ExpectCases("inventory_rules.txt", [](const std::string& input) {
        std::istringstream in(input);
        std::string what;
        std::int32_t first = 0, second = 0, third = 0;
        in >> what >> first >> second >> third;
        if (what == "next")
            return std::to_string(NextMultipleOfTen(static_cast<std::uint8_t>(first)));
        if (what == "freshness") return FreshnessAfter(input.substr(what.size()));
        return std::string(IsCacheFresh(first != 0, second, third) ? "fresh" : "stale");
    });
}

// Serves tests/data/core/default_platform.txt and two processors.
void ServeDefaultPlatform(FakeHealthDataSource& health) {
    health.Serve(kProcessorNamespace, kProcessorQuery,
                 {{{"SocketDesignation", std::string("Proc 1")}},
                  {{"SocketDesignation", std::string("Proc 2")}}});
    const auto definitions = test::Definitions("default_platform.txt");
    std::istringstream lines(test::ReadCaseFile("default_platform.txt"));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(": ");
        if (line.starts_with("#") || line.starts_with("@") || colon == std::string::npos) continue;
        health.Serve(testing::kNamedBuilders.at(line.substr(0, colon)).wql,
                     testing::ReadObjects(line.substr(colon + 2), definitions));
    }
}

// The default platform served, two sockets and an inventory to build.
class BuildInventoryTest : public ::testing::Test {
protected:
    void SetUp() override { ServeDefaultPlatform(health); }
    FakeHealthDataSource health;
    FakeProcessorInfoSource processors = testing::TwoSockets();
    SensorInventory inventory;
};

// Every record of the inventory in one line each (testing::Identity).
std::string Records(const SensorInventory& inventory) {
    std::string text;
    for (std::size_t i = 0; i < inventory.Count(); ++i)
        text += testing::Identity(inventory.At(i)) + "\n";
    return text;
}

// The numbering plan of the default platform: every record, as a reviewed file.
TEST_F(BuildInventoryTest, DefaultPlatformFollowsTheNumberingPlanAndARebuildReusesTheProcessors) {
    EXPECT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_TRUE(inventory.Valid());
    const std::string records = Records(inventory);
    test::ExpectGolden("default_inventory.txt", records);
    ASSERT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_EQ(Records(inventory), records);
    EXPECT_EQ(health.TimesSent(kProcessorNamespace, kProcessorQuery), 1u);
    EXPECT_EQ(health.TimesSent(kHealthNamespace, kTemperatureQuery), 2u);
}

TEST_F(BuildInventoryTest, AFailingBuilderDoesNotStopTheBuild) {
    health.Served(kFanQuery)[3].erase("FanIndex");
    EXPECT_TRUE(BuildInventory(inventory, health, processors));
    EXPECT_TRUE(inventory.Valid());
    const std::string records = Records(inventory);
    EXPECT_EQ(records.find(" FAN 1:"), std::string::npos);  // the fan builder took its records back
    EXPECT_NE(records.find("0.50 ASR:"), std::string::npos);
}

// Each record names the read it was made from, and a read whose query did not run is noted
// (the fan class refused: both its reads); a rebuild forgets the last build's.
TEST_F(BuildInventoryTest, MarksEachRecordsReadAndTheReadsThatDidNotRun) {
    for (const std::string_view wql : {kFanQuery, kFanGroupQuery}) {
        health.Served(wql).clear();
        health.Fail(wql);
    }
    ASSERT_TRUE(BuildInventory(inventory, health, processors));
    HealthReads fans;
    fans.set(IndexOf(HealthRead::FanGroups)).set(IndexOf(HealthRead::Fans));
    EXPECT_EQ(inventory.NotRun(), fans);
    std::string reads;
    for (std::size_t index = 0; index < inventory.Count(); ++index) {
        const auto read = std::to_string(static_cast<int>(inventory.At(index).ReadFrom()));
        if (reads.empty() || reads.substr(reads.rfind(' ') + 1) != read) reads += " " + read;
    }
    // Processors, temperatures, power groups and supplies, ASR, the light, the firmware,
    // the memory subsystem, its boards and the DIMMs, in build order.
    EXPECT_EQ(reads, " 0 1 4 5 6 7 8 9 10 11");
    FakeHealthDataSource again;
    ServeDefaultPlatform(again);
    ASSERT_TRUE(BuildInventory(inventory, again, processors));
    EXPECT_TRUE(inventory.NotRun().none());
}

TEST(BuildInventory, MemoryAndPowerBlocksWithoutHealthClassesAndWithCartridges) {
    FakeHealthDataSource health;
    health.Serve(kMemorySubsystemQuery, {{{"Present", true},
                                          {"MemorySubsystemStatus", 1},
                                          {"SupportsMirrored", true},
                                          {"NumberCartridges", 2},
                                          {"NumberModules", 4}}});
    FakeProcessorInfoSource processors;
    SensorInventory inventory;
    ASSERT_TRUE(BuildInventory(inventory, health, processors));
    test::ExpectGolden("cartridge_inventory.txt", Records(inventory));
}

}  // namespace
}  // namespace norv
