// The process-wide sensor cache with a clock and an inventory builder of the test's own. (How
// the two instance lists are derived is the core's sensor-data cases'; the order of the two
// caches' locks is the snapshot's.)
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "inventory/sensor_record.h"
#include "sensors/sdr_cache.h"

namespace norv::win {
namespace {

// What the fake platform gives and what the cache asked of it.
struct FakePlatform {
    std::int32_t now = 1'700'000'000;
    int builds = 0;
    int processorQueries = 0;
    bool buildFails = false;
    IWbemContext* lastContext = nullptr;
    std::vector<SensorRecord> records;
};
FakePlatform platform;

std::int32_t FakeClock() {
    return platform.now;
}

bool CountingBuilder(SensorInventory& inventory, IWbemContext* context) {
    ++platform.builds;
    platform.lastContext = context;
    // As the processor builder: the objects are asked for only while none are held.
    if (!inventory.ProcessorsQueried()) {
        ++platform.processorQueries;
        HealthObjectList processors;
        processors.push_back(std::make_unique<HealthObject>());
        inventory.KeepProcessors(std::move(processors));
    }
    inventory.Clear();
    if (platform.buildFails) return false;
    for (const SensorRecord& record : platform.records) inventory.Append(record);
    inventory.SetValid(true);
    return true;
}

// A present processor (discrete) or temperature (numeric) record of the sensor number and
// owner id.
SensorRecord Record(bool numeric, std::uint32_t number, std::uint32_t owner) {
    SensorRecord record;
    record.SetSensorNumber(number);
    record.SetOwnerId(owner);
    record.SetSensorType(numeric ? 0x01 : 0x07);
    record.SetEventReadingType(numeric ? 0x01 : 0x6F);
    record.SetCurrentState(0x07);
    if (numeric) record.SetCurrentReading(410);
    record.SetPresent(1);
    return record;
}

template <typename List>
std::vector<std::string> DeviceIds(const List& list) {
    std::vector<std::string> ids;
    for (const auto& entry : list.Entries()) ids.push_back(entry.deviceId);
    return ids;
}

class SdrCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform = FakePlatform{};
        platform.records = {Record(false, 1, 0), Record(true, 10, 0)};
    }
    static SdrCache NewCache() { return SdrCache(&CountingBuilder, &FakeClock); }
};

TEST_F(SdrCacheTest, AFailedBuildLeavesTheCacheInvalidAndTheNextRefreshRetries) {
    SdrCache cache = NewCache();
    platform.buildFails = true;
    EXPECT_FALSE(cache.Refresh(nullptr));
    EXPECT_FALSE(cache.Refresh(nullptr)) << "retried in the same second";
    EXPECT_EQ(platform.builds, 2);
    // The event log's rebuild does not make a failed cache valid.
    platform.buildFails = false;
    EXPECT_TRUE(cache.RebuildInventory(nullptr));
    EXPECT_TRUE(cache.Refresh(nullptr));
    EXPECT_EQ(platform.builds, 4);
    EXPECT_EQ(DeviceIds(cache.Sensors()), std::vector<std::string>{"1.0.0"});
    // A failure after a good rebuild: invalid at once, not served from the old data.
    platform.now += 2;
    platform.buildFails = true;
    EXPECT_FALSE(cache.Refresh(nullptr));
}

// The refresh rule itself is the core's; the cache applies it with its clock, and its first
// refresh builds even three seconds before it was made (it starts dated three seconds back,
// and not valid). The request's context reaches the builder.
TEST_F(SdrCacheTest, TheEventLogsRebuildLeavesTheListsAndTheFreshWindowAlone) {
    SdrCache cache = NewCache();
    platform.now -= 3;
    auto* const context = reinterpret_cast<IWbemContext*>(&platform);  // passed on, never called
    ASSERT_TRUE(cache.Refresh(context));
    EXPECT_EQ(platform.lastContext, context);
    platform.records = {Record(false, 5, 1)};
    EXPECT_TRUE(cache.RebuildInventory(nullptr));
    EXPECT_EQ(platform.builds, 2);
    ASSERT_EQ(cache.Inventory().Count(), 1u);
    EXPECT_EQ(cache.Inventory().At(0).SensorNumber(), 5);
    EXPECT_EQ(DeviceIds(cache.Sensors()), std::vector<std::string>{"1.0.0"});
    EXPECT_EQ(DeviceIds(cache.NumericSensors()), std::vector<std::string>{"10.0.0"});
    // Still fresh from the refresh: no rebuild, the old lists.
    ++platform.now;
    EXPECT_TRUE(cache.Refresh(nullptr));
    EXPECT_EQ(platform.builds, 2);
    EXPECT_EQ(DeviceIds(cache.Sensors()), std::vector<std::string>{"1.0.0"});
    // And the window still ends two seconds after the refresh, not after the rebuild.
    ++platform.now;
    EXPECT_TRUE(cache.Refresh(nullptr));
    EXPECT_EQ(platform.builds, 3);
    EXPECT_EQ(DeviceIds(cache.Sensors()), std::vector<std::string>{"5.0.1"});
    EXPECT_TRUE(cache.NumericSensors().Entries().empty());
}

// After the event log's refresh: stale lists are made from the inventory it has just rebuilt,
// dated by that build, so the following Refresh asks nothing; fresh lists, an inventory two
// seconds old and one whose build failed are left to Refresh.
TEST_F(SdrCacheTest, ListsAreMadeFromTheInventoryTheEventLogRebuiltWithinTwoSeconds) {
    SdrCache cache = NewCache();
    platform.records = {Record(false, 5, 1)};
    EXPECT_TRUE(cache.RebuildInventory(nullptr));
    ++platform.now;
    cache.MakeListsFromRebuiltInventory();
    EXPECT_TRUE(cache.Refresh(nullptr));
    EXPECT_EQ(platform.builds, 1);
    EXPECT_EQ(DeviceIds(cache.Sensors()), std::vector<std::string>{"5.0.1"});
    ++platform.now;
    EXPECT_TRUE(cache.Refresh(nullptr));
    EXPECT_EQ(platform.builds, 2) << "fresh for two seconds from the inventory's build";
    // Fresh lists stay as they are, though the log has rebuilt the inventory since.
    platform.records = {Record(true, 10, 0)};
    EXPECT_TRUE(cache.RebuildInventory(nullptr));
    cache.MakeListsFromRebuiltInventory();
    EXPECT_EQ(DeviceIds(cache.Sensors()), std::vector<std::string>{"5.0.1"});
    // An inventory two seconds old is built again by the Refresh.
    platform.now += 2;
    cache.MakeListsFromRebuiltInventory();
    EXPECT_EQ(DeviceIds(cache.Sensors()), std::vector<std::string>{"5.0.1"});
    EXPECT_TRUE(cache.Refresh(nullptr));
    EXPECT_EQ(platform.builds, 4);
    EXPECT_EQ(DeviceIds(cache.NumericSensors()), std::vector<std::string>{"10.0.0"});
    // A failed rebuild gives no lists: the Refresh builds again, and fails.
    platform.now += 2;
    platform.buildFails = true;
    EXPECT_FALSE(cache.RebuildInventory(nullptr));
    cache.MakeListsFromRebuiltInventory();
    EXPECT_FALSE(cache.Refresh(nullptr));
    EXPECT_EQ(platform.builds, 6);
    EXPECT_EQ(platform.processorQueries, 1) << "every build is handed the processors";
}

// A rebuild replaces what it builds: the inventory and lists a reader took before it stay as
// they were, and it gets the new ones only by taking them again.
TEST_F(SdrCacheTest, WhatAReaderTookOutlivesTheRebuilds) {
    SdrCache cache = NewCache();
    ASSERT_TRUE(cache.Refresh(nullptr));
    const std::shared_ptr<const SensorInventory> inventory = cache.SharedInventory();
    const std::shared_ptr<const SensorLists> lists = cache.SharedLists();
    platform.records = {Record(false, 5, 1)};
    platform.now += 2;
    ASSERT_TRUE(cache.Refresh(nullptr));
    ASSERT_TRUE(cache.RebuildInventory(nullptr));
    ASSERT_EQ(inventory->Count(), 2u);
    EXPECT_EQ(inventory->At(0).SensorNumber(), 1);
    EXPECT_EQ(DeviceIds(lists->sensors), std::vector<std::string>{"1.0.0"});
    EXPECT_EQ(DeviceIds(lists->numericSensors), std::vector<std::string>{"10.0.0"});
    EXPECT_EQ(DeviceIds(cache.SharedLists()->sensors), std::vector<std::string>{"5.0.1"});
    EXPECT_EQ(cache.SharedInventory()->Count(), 1u);
}

}  // namespace
}  // namespace norv::win
