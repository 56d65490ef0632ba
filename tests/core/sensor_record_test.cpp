#include "inventory/sensor_record.h"

#include <gtest/gtest.h>

#include <sstream>

#include <cstdint>
#include <string>
#include <vector>

#include "golden_text.h"

namespace norv {
namespace {

constexpr std::uint8_t kNone = 255;

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

TEST(SensorRecord, ThresholdSettersMarkTheirStateBitAndStatesAccumulate) {
    SensorRecord record;
    for (unsigned bit = 0x01; bit <= 0x20; bit <<= 1) {
        EXPECT_FALSE(record.HasThreshold(static_cast<std::uint16_t>(bit)));
    }
    record.SetLowerNonCritical(-1);
    record.SetLowerCritical(-2);
    record.SetLowerNonRecoverable(-3);
    EXPECT_EQ(record.StateMask(), 0x07);
    EXPECT_FALSE(record.HasThreshold(0x08));
    record.SetUpperNonCritical(4);
    record.SetUpperCritical(5);
    record.SetUpperNonRecoverable(6);
    EXPECT_EQ(record.StateMask(), 0x3F);
    EXPECT_EQ(record.LowerNonCritical() + record.LowerCritical() * 10 +
                  record.LowerNonRecoverable() * 100,
              -321);
    EXPECT_EQ(record.UpperNonCritical() + record.UpperCritical() * 10 +
                  record.UpperNonRecoverable() * 100,
              654);
    EXPECT_EQ(record.FieldMask(), 0u);
    SensorRecord states;
    states.AddStates(0x0C);
    states.AddStates(0x90);
    EXPECT_EQ(states.StateMask(), 0x9C);
    EXPECT_TRUE(states.HasThreshold(0x10));
}

TEST(SensorRecordName, CasesAsReviewed) {
    test::ExpectCases("sensor_names.txt", [](const std::string& input) {
        std::istringstream in(input);
        unsigned kind = 0, number1 = 0, number2 = 0, number3 = 0;
        in >> kind >> number1 >> number2 >> number3;
        SensorRecord record;
        record.SetName(static_cast<SensorKind>(kind), static_cast<std::uint8_t>(number1),
                       static_cast<std::uint8_t>(number2), static_cast<std::uint8_t>(number3));
        EXPECT_EQ(record.Kind(), static_cast<SensorKind>(kind));
        return record.Name() + " key " + std::to_string(record.KeyNumber1()) + "/" +
               std::to_string(record.KeyNumber2());
    });
    for (std::uint32_t index = 0; index < kSensorKindCount; ++index) {
        SensorRecord record;
        record.SetName(static_cast<SensorKind>(index), 254, 254, 254);
        EXPECT_LE(record.Name().size(), 21u) << record.Name();
    }
}

TEST(SensorRecordMatches, ExactKeyOfTheSameKindAndFanGroupsBySubset) {
    SensorRecord dimm;
    dimm.SetName(SensorKind::CartridgeDimm, 2, 5, kNone);
    EXPECT_TRUE(dimm.Matches(SensorKind::CartridgeDimm, 2, 5));
    EXPECT_FALSE(dimm.Matches(SensorKind::CartridgeDimm, 2, 4));
    EXPECT_FALSE(dimm.Matches(SensorKind::CartridgeDimm, 5, 2));
    EXPECT_FALSE(dimm.Matches(SensorKind::BoardDimm, 2, 5));
    SensorRecord cpu;
    cpu.SetName(SensorKind::Cpu, 0x03, 0x01, 0);
    EXPECT_FALSE(cpu.Matches(SensorKind::Cpu, 0x01, 0x01));  // only fan groups take a subset

    SensorRecord group;  // fans 0, 2 and 9
    group.SetName(SensorKind::FanGroup, 0x05, 0x02, 1);
    EXPECT_TRUE(group.Matches(SensorKind::FanGroup, 0x05, 0x02));
    EXPECT_TRUE(group.Matches(SensorKind::FanGroup, 0x01, 0x00));   // fan 0
    EXPECT_TRUE(group.Matches(SensorKind::FanGroup, 0x04, 0x02));   // fans 2 and 9
    EXPECT_FALSE(group.Matches(SensorKind::FanGroup, 0x02, 0x00));  // fan 1
    EXPECT_FALSE(group.Matches(SensorKind::FanGroup, 0x01, 0x01));  // fans 0 and 8
    EXPECT_FALSE(group.Matches(SensorKind::FanGroup, 0x00, 0x00));  // no fan
    EXPECT_FALSE(group.Matches(SensorKind::FanSharedGroup, 0x01, 0x00));
    SensorRecord emptyGroup;
    emptyGroup.SetName(SensorKind::FanSharedGroup, 0x00, 0x00, 1);
    EXPECT_TRUE(emptyGroup.Matches(SensorKind::FanSharedGroup, 0x00, 0x00));
    EXPECT_FALSE(emptyGroup.Matches(SensorKind::FanSharedGroup, 0x01, 0x00));
}

}  // namespace
}  // namespace norv
