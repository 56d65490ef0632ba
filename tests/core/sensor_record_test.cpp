#include "inventory/sensor_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "eventlog/sensor_search.h"
#include "inventory/sensor_inventory.h"
#include "support/case_file.h"

namespace norv {
namespace {

TEST(SensorRecord, SettersMarkTheirFieldBitsAndKeepTheFieldWidths) {
    SensorRecord record;
    record.SetPresent(1);
    EXPECT_EQ(record.FieldMask(), 0u);
    record.SetSensorNumber(0x112);
    record.SetOwnerId(0x141);
    record.SetBaseUnits(0x10002);
    EXPECT_EQ(record.SensorNumber(), 0x12);
    EXPECT_EQ(record.OwnerId(), 0x41);
    EXPECT_EQ(record.BaseUnits(), 2);
    EXPECT_EQ(record.FieldMask(), kFieldSensorNumber | kFieldOwnerId | kFieldBaseUnits);
    EXPECT_EQ(record.StateMask(), 0u);
}

SensorRecord Named(std::istream& in) {
    unsigned kind = 0, number1 = 0, number2 = 0, number3 = 0;
    in >> kind >> number1 >> number2 >> number3;
    SensorRecord record;
    record.SetName(static_cast<SensorKind>(kind), static_cast<std::uint8_t>(number1),
                   static_cast<std::uint8_t>(number2), static_cast<std::uint8_t>(number3));
    return record;
}

TEST(SensorRecordName, CasesAsReviewed) {
    test::ExpectCases("sensor_names.txt", [](const std::string& input) {
        std::istringstream in(input);
        const SensorRecord record = Named(in);
        EXPECT_EQ(static_cast<unsigned>(record.Kind()), std::stoul(input));
        return record.Name() + " key " + std::to_string(record.KeyNumber1()) + "/" +
               std::to_string(record.KeyNumber2());
    });
    for (std::uint32_t index = 0; index < kSensorKindCount; ++index) {
        SensorRecord record;
        record.SetName(static_cast<SensorKind>(index), 254, 254, 254);
        EXPECT_LE(record.Name().size(), 21u) << record.Name();
    }
}

TEST(SensorKeys, CasesAsReviewed) {
    SensorInventory inventory;
    for (const char* record :
         {"3 1 255 255 10", "0 2 255 255 11", "22 255 255 255 12", "1 6 0 255 13", "3 2 255 255 14",
          "0 2 255 255 15", "3 2 255 255 16"}) {
        std::istringstream in(record);
        SensorRecord named = Named(in);
        unsigned number = 0;
        in >> number;
        named.SetSensorNumber(number);
        inventory.Append(named);
    }
    const SensorSearch search(inventory);
    test::ExpectCases("sensor_keys.txt", [&](const std::string& input) {
        std::istringstream in(input.substr(input.find(' ')));
        unsigned kind = 0, key1 = 0, key2 = 0;
        std::string bar;
        if (input.starts_with("match ")) {
            const SensorRecord record = Named(in);
            in >> bar >> kind >> key1 >> key2;
            return std::string(record.Matches(static_cast<SensorKind>(kind),
                                              static_cast<std::uint8_t>(key1),
                                              static_cast<std::uint8_t>(key2))
                                   ? "match"
                                   : "no match");
        }
        in >> kind >> key1 >> key2;
        const SensorRecord* found =
            search.Find(static_cast<SensorKind>(kind), static_cast<std::uint8_t>(key1),
                        static_cast<std::uint8_t>(key2));
        return found == nullptr ? std::string("none") : std::to_string(found->SensorNumber());
    });
}

}  // namespace
}  // namespace norv
