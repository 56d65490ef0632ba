// The process-wide sensor cache with a clock and an inventory builder of the test's own: when
// it rebuilds, what a failed build leaves, and what the event log's own rebuild leaves alone.
// (How the two instance lists are derived is the core's sensor-data cases'.)
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
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
    inventory.Clear();
    if (platform.buildFails) return false;
    for (const SensorRecord& record : platform.records) inventory.Append(record);
    inventory.SetValid(true);
    return true;
}

// A processor (discrete) or temperature (numeric) record of the sensor number, owner LUN and
// owner id.
SensorRecord Record(bool numeric, std::uint32_t number, std::uint32_t lun, std::uint32_t owner,
                    std::uint8_t present) {
    SensorRecord record;
    record.SetSensorNumber(number);
    record.SetOwnerLun(lun);
    record.SetOwnerId(owner);
    record.SetSensorType(numeric ? 0x01 : 0x07);
    record.SetEventReadingType(numeric ? 0x01 : 0x6F);
    record.SetCurrentState(0x07);
    if (numeric) record.SetCurrentReading(410);
    record.SetPresent(present);
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
        platform.records = {Record(false, 1, 0, 0, 1), Record(true, 10, 0, 0, 1)};
    }
    // A cache made at the current fake time.
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
    platform.records = {Record(false, 5, 0, 1, 1)};
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

// The event provider's tick: the event log has just rebuilt the inventory, so stale lists are
// made from it without a second build, and dated by that build; an inventory two seconds old,
// or one whose build failed, is built again.
TEST_F(SdrCacheTest, AReaderAfterTheEventLogsRebuildReusesItsInventory) {
    SdrCache cache = NewCache();
    platform.records = {Record(false, 5, 0, 1, 1)};
    EXPECT_TRUE(cache.RebuildInventory(nullptr));
    EXPECT_TRUE(cache.RefreshReusingInventory(nullptr));
    EXPECT_EQ(platform.builds, 1);
    EXPECT_EQ(DeviceIds(cache.Sensors()), std::vector<std::string>{"5.0.1"});
    ++platform.now;
    EXPECT_TRUE(cache.Refresh(nullptr));
    EXPECT_EQ(platform.builds, 1) << "fresh for two seconds from the inventory's build";
    ++platform.now;
    EXPECT_TRUE(cache.RefreshReusingInventory(nullptr));
    EXPECT_EQ(platform.builds, 2);
    platform.now += 2;
    platform.buildFails = true;
    EXPECT_FALSE(cache.RebuildInventory(nullptr));
    EXPECT_FALSE(cache.RefreshReusingInventory(nullptr));
    EXPECT_EQ(platform.builds, 4);
}

}  // namespace
}  // namespace norv::win
