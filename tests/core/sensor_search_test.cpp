#include "eventlog/sensor_search.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace norv {
namespace {

constexpr std::uint8_t kNone = 255;

SensorRecord Record(SensorKind kind, std::uint8_t number1, std::uint8_t number2,
                    std::uint32_t sensorNumber) {
    SensorRecord record;
    record.SetName(kind, number1, number2, kNone);
    record.SetSensorNumber(sensorNumber);
    return record;
}

// Kinds interleaved, the first and last kinds of the enumeration among them, and two
// records of one key: the search finds what a walk over the whole inventory finds.
TEST(SensorSearch, FindsTheFirstMatchInInventoryOrderAmongInterleavedKinds) {
    SensorInventory inventory;
    inventory.Append(Record(SensorKind::Temperature, 1, kNone, 10));
    inventory.Append(Record(SensorKind::Fan, 2, kNone, 11));
    inventory.Append(Record(SensorKind::Rtc, kNone, kNone, 12));
    inventory.Append(Record(SensorKind::FanGroup, 0x06, 0x00, 13));  // fans 1 and 2
    inventory.Append(Record(SensorKind::Temperature, 2, kNone, 14));
    inventory.Append(Record(SensorKind::Fan, 2, kNone, 15));
    inventory.Append(Record(SensorKind::Temperature, 2, kNone, 16));
    const SensorSearch search(inventory);

    struct Case {
        SensorKind kind;
        std::uint8_t key1;
        std::uint8_t key2;
        int sensorNumber;  // -1: none
    } const cases[] = {
        {SensorKind::Temperature, 2, kNone, 14},  {SensorKind::Temperature, 1, kNone, 10},
        {SensorKind::Fan, 2, kNone, 11},          {SensorKind::Rtc, kNone, kNone, 12},
        {SensorKind::FanGroup, 0x04, 0x00, 13},   // a group holding the one fan named
        {SensorKind::FanGroup, 0x09, 0x00, -1},   {SensorKind::Temperature, 3, kNone, -1},
        {SensorKind::Cpu, kNone, kNone, -1},      // a kind without records
        {SensorKind::PowerSupply, 2, kNone, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        const SensorRecord* found = search.Find(c.kind, c.key1, c.key2);
        ASSERT_EQ(found == nullptr, c.sensorNumber < 0);
        if (found != nullptr) {
            EXPECT_EQ(found->SensorNumber(), c.sensorNumber);
        }
    }
}

}  // namespace
}  // namespace norv
