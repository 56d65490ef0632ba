#include "inventory/sensor_inventory.h"
#include "inventory/sensor_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace norv {
namespace {

constexpr std::uint8_t kNone = 255;

struct FieldSetterCase {
    const char* field;
    std::function<void(SensorRecord&)> set;
    std::uint32_t expectedBit;
    std::function<bool(const SensorRecord&)> holdsValue;
};

TEST(SensorRecord, EachSetterStoresItsValueAndMarksOnlyItsBit) {
    const std::vector<FieldSetterCase> cases = {
        {"sensorType", [](SensorRecord& r) { r.SetSensorType(0x04); }, 0x1,
         [](const SensorRecord& r) { return r.SensorType() == 0x04; }},
        {"currentState", [](SensorRecord& r) { r.SetCurrentState(17); }, 0x4,
         [](const SensorRecord& r) { return r.CurrentState() == 17; }},
        {"currentReading", [](SensorRecord& r) { r.SetCurrentReading(-410); }, 0x8,
         [](const SensorRecord& r) { return r.CurrentReading() == -410; }},
        {"baseUnits", [](SensorRecord& r) { r.SetBaseUnits(2); }, 0x10,
         [](const SensorRecord& r) { return r.BaseUnits() == 2; }},
        {"unitModifier", [](SensorRecord& r) { r.SetUnitModifier(-1); }, 0x20,
         [](const SensorRecord& r) { return r.UnitModifier() == -1; }},
        {"rateUnits", [](SensorRecord& r) { r.SetRateUnits(3); }, 0x40,
         [](const SensorRecord& r) { return r.RateUnits() == 3; }},
        {"normalMin", [](SensorRecord& r) { r.SetNormalMin(100); }, 0x800,
         [](const SensorRecord& r) { return r.NormalMin() == 100; }},
        {"normalMax", [](SensorRecord& r) { r.SetNormalMax(600); }, 0x1000,
         [](const SensorRecord& r) { return r.NormalMax() == 600; }},
        {"nominalReading", [](SensorRecord& r) { r.SetNominalReading(350); }, 0x2000,
         [](const SensorRecord& r) { return r.NominalReading() == 350; }},
        {"minReadable", [](SensorRecord& r) { r.SetMinReadable(-200); }, 0x4000,
         [](const SensorRecord& r) { return r.MinReadable() == -200; }},
        {"maxReadable", [](SensorRecord& r) { r.SetMaxReadable(1270); }, 0x8000,
         [](const SensorRecord& r) { return r.MaxReadable() == 1270; }},
        {"ownerId", [](SensorRecord& r) { r.SetOwnerId(0x41); }, 0x10000,
         [](const SensorRecord& r) { return r.OwnerId() == 0x41; }},
        {"ownerLun", [](SensorRecord& r) { r.SetOwnerLun(1); }, 0x20000,
         [](const SensorRecord& r) { return r.OwnerLun() == 1; }},
        {"sensorNumber", [](SensorRecord& r) { r.SetSensorNumber(0x2A); }, 0x40000,
         [](const SensorRecord& r) { return r.SensorNumber() == 0x2A; }},
        {"entityId", [](SensorRecord& r) { r.SetEntityId(0x1D); }, 0x80000,
         [](const SensorRecord& r) { return r.EntityId() == 0x1D; }},
        {"entityInstance", [](SensorRecord& r) { r.SetEntityInstance(3); }, 0x100000,
         [](const SensorRecord& r) { return r.EntityInstance() == 3; }},
        {"name", [](SensorRecord& r) { r.SetName(SensorKind::Asr, kNone, kNone, kNone); },
         0x200000, [](const SensorRecord& r) { return r.Name() == "ASR"; }},
        {"eventReadingType", [](SensorRecord& r) { r.SetEventReadingType(0x6F); }, 0x400000,
         [](const SensorRecord& r) { return r.EventReadingType() == 0x6F; }},
    };
    std::uint32_t allBits = 0;
    SensorRecord everything;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        SensorRecord record;
        c.set(record);
        EXPECT_EQ(record.FieldMask(), c.expectedBit);
        EXPECT_TRUE(record.HasField(c.expectedBit));
        EXPECT_EQ(record.StateMask(), 0u);
        EXPECT_TRUE(c.holdsValue(record));
        c.set(everything);
        allBits |= c.expectedBit;
    }
    // The bits are distinct and none of the unused ones (0x2, 0x80..0x400) is touched.
    EXPECT_EQ(everything.FieldMask(), allBits);
    EXPECT_EQ(allBits & 0x782u, 0u);
    EXPECT_EQ(allBits, 0x7FF87Du);
}

TEST(SensorRecord, SettersKeepTheFieldWidth) {
    SensorRecord record;
    record.SetSensorNumber(0x100 + 0x12);
    record.SetOwnerId(0x141);
    record.SetBaseUnits(0x10002);
    EXPECT_EQ(record.SensorNumber(), 0x12);
    EXPECT_EQ(record.OwnerId(), 0x41);
    EXPECT_EQ(record.BaseUnits(), 2);
}

struct ThresholdSetterCase {
    const char* threshold;
    std::function<void(SensorRecord&, std::int32_t)> set;
    std::function<std::int32_t(const SensorRecord&)> get;
    std::uint16_t expectedStateBit;
};

TEST(SensorRecord, ThresholdSettersMarkStateMaskNotFieldMask) {
    const std::vector<ThresholdSetterCase> cases = {
        {"lowerNonCritical", &SensorRecord::SetLowerNonCritical, &SensorRecord::LowerNonCritical,
         0x01},
        {"lowerCritical", &SensorRecord::SetLowerCritical, &SensorRecord::LowerCritical, 0x02},
        {"lowerNonRecoverable", &SensorRecord::SetLowerNonRecoverable,
         &SensorRecord::LowerNonRecoverable, 0x04},
        {"upperNonCritical", &SensorRecord::SetUpperNonCritical, &SensorRecord::UpperNonCritical,
         0x08},
        {"upperCritical", &SensorRecord::SetUpperCritical, &SensorRecord::UpperCritical, 0x10},
        {"upperNonRecoverable", &SensorRecord::SetUpperNonRecoverable,
         &SensorRecord::UpperNonRecoverable, 0x20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.threshold);
        SensorRecord record;
        c.set(record, -55);
        EXPECT_EQ(c.get(record), -55);
        EXPECT_EQ(record.StateMask(), c.expectedStateBit);
        EXPECT_EQ(record.FieldMask(), 0u);
        for (std::uint16_t bit = 0x01; bit <= 0x20; bit = static_cast<std::uint16_t>(bit << 1)) {
            EXPECT_EQ(record.HasThreshold(bit), bit == c.expectedStateBit) << "bit " << bit;
        }
    }
}

TEST(SensorRecord, RecordWithoutStateBitsHasNoThresholds) {
    SensorRecord record;
    record.SetEventReadingType(0x01);
    record.SetCurrentReading(410);
    for (std::uint16_t bit = 0x01; bit <= 0x20; bit = static_cast<std::uint16_t>(bit << 1)) {
        EXPECT_FALSE(record.HasThreshold(bit));
    }
}

TEST(SensorRecord, SetPresentDoesNotMarkAndAddStatesAccumulates) {
    SensorRecord record;
    record.SetPresent(1);
    EXPECT_EQ(record.Present(), 1);
    EXPECT_EQ(record.FieldMask(), 0u);

    record.AddStates(0x0C);
    record.AddStates(0x90);
    EXPECT_EQ(record.StateMask(), 0x9C);
    record.SetUpperCritical(700);
    EXPECT_EQ(record.StateMask(), 0x9C);  // bit 4 (0x10) was already there
    record.SetUpperNonRecoverable(800);
    EXPECT_EQ(record.StateMask(), 0xBC);
    EXPECT_EQ(record.FieldMask(), 0u);
}

struct NameCase {
    SensorKind kind;
    std::uint8_t number1;
    std::uint8_t number2;
    std::uint8_t number3;
    const char* expectedName;
};

void ExpectNames(const std::vector<NameCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "kind " << static_cast<unsigned>(c.kind) << " numbers "
                     << unsigned{c.number1} << "," << unsigned{c.number2} << ","
                     << unsigned{c.number3});
        SensorRecord record;
        record.SetName(c.kind, c.number1, c.number2, c.number3);
        EXPECT_EQ(record.Name(), c.expectedName);
        EXPECT_EQ(record.Kind(), c.kind);
        EXPECT_EQ(record.KeyNumber1(), c.number1);
        EXPECT_EQ(record.KeyNumber2(), c.number2);
        EXPECT_EQ(record.FieldMask(), 0x200000u);
    }
}

TEST(SensorRecordName, WithoutNumbersEveryKindGivesItsTextLiterally) {
    ExpectNames({
        {SensorKind::Fan, kNone, kNone, kNone, "FAN %u"},
        {SensorKind::FanGroup, kNone, kNone, kNone, "FAN GROUP %u"},
        {SensorKind::FanSharedGroup, kNone, kNone, kNone, "FAN SHARED GROUP %u"},
        {SensorKind::Temperature, kNone, kNone, kNone, "TEMPERATURE %u"},
        {SensorKind::PowerSupply, kNone, kNone, kNone, "POWER SUPPLY %u"},
        {SensorKind::PowerGroup, kNone, kNone, kNone, "POWER GROUP %u"},
        {SensorKind::PowerSubsystem, kNone, kNone, kNone, "Pwr Subsystem"},
        {SensorKind::CartridgeDimm, kNone, kNone, kNone, "CART %u: DIMM %u"},
        {SensorKind::BoardDimm, kNone, kNone, kNone, "SysBoard DIMM %u"},
        {SensorKind::CartridgePirn, kNone, kNone, kNone, "MEM CART %u PIRN"},
        {SensorKind::Cartridge, kNone, kNone, kNone, "MEM CART %u"},
        {SensorKind::BoardDimms, kNone, kNone, kNone, "SysBoard DIMMs"},
        {SensorKind::AdvancedMemoryProtection, kNone, kNone, kNone, "Adv Mem Protect"},
        {SensorKind::Cpu, kNone, kNone, kNone, "CPU %u"},
        {SensorKind::Asr, kNone, kNone, kNone, "ASR"},
        {SensorKind::UidLight, kNone, kNone, kNone, "UID Light signal"},
        {SensorKind::Nmi, kNone, kNone, kNone, "NMI"},
        {SensorKind::SlotNotify, kNone, kNone, kNone, "Slot Notify"},
        {SensorKind::NetworkAdapters, kNone, kNone, kNone, "Network Adapters"},
        {SensorKind::PostError, kNone, kNone, kNone, "POST Error"},
        {SensorKind::OsStop, kNone, kNone, kNone, ""},
        {SensorKind::LogMaintenance, kNone, kNone, kNone, "Kron Maintenance"},
        {SensorKind::Rtc, kNone, kNone, kNone, "RTC"},
    });
}

TEST(SensorRecordName, NumbersArePrintedInDecimal) {
    ExpectNames({
        {SensorKind::Fan, 3, kNone, kNone, "FAN 3"},
        {SensorKind::Fan, 12, 7, kNone, "FAN 12"},  // a second number has no place
        {SensorKind::Temperature, 3, kNone, kNone, "TEMPERATURE 3"},
        {SensorKind::Temperature, 0, kNone, kNone, "TEMPERATURE 0"},
        {SensorKind::PowerSupply, 2, kNone, kNone, "POWER SUPPLY 2"},
        {SensorKind::PowerGroup, 1, kNone, kNone, "POWER GROUP 1"},
        {SensorKind::PowerSubsystem, 4, kNone, kNone, "Pwr Subsystem"},
        {SensorKind::CartridgeDimm, 2, 5, kNone, "CART 2: DIMM 5"},
        {SensorKind::CartridgeDimm, 254, 254, kNone, "CART 254: DIMM 254"},
        {SensorKind::BoardDimm, 7, kNone, kNone, "SysBoard DIMM 7"},
        {SensorKind::CartridgePirn, 2, kNone, kNone, "MEM CART 2 PIRN"},
        {SensorKind::Cartridge, 3, kNone, kNone, "MEM CART 3"},
        {SensorKind::BoardDimms, 1, kNone, kNone, "SysBoard DIMMs"},
        {SensorKind::OsStop, 1, 2, 3, ""},
        {SensorKind::Rtc, 9, kNone, kNone, "RTC"},
    });
}

TEST(SensorRecordName, FanGroupsAndProcessorsPrintTheThirdNumber) {
    ExpectNames({
        {SensorKind::FanGroup, 0x05, 0x00, 1, "FAN GROUP 1"},
        {SensorKind::FanSharedGroup, 0x00, 0x03, 2, "FAN SHARED GROUP 2"},
        {SensorKind::FanSharedGroup, 0xFF, 0xFF, 254, "FAN SHARED GROUP 254"},
        {SensorKind::FanGroup, 0x05, 0x00, kNone, "FAN GROUP %u"},
        {SensorKind::Cpu, 1, 2, 0, "CPU 0"},
        {SensorKind::Cpu, 1, 2, 3, "CPU 3"},
        {SensorKind::Cpu, 0, 0, kNone, "CPU %u"},
    });
}

TEST(SensorRecordName, CartridgeZeroIsTheSystemBoard) {
    ExpectNames({
        {SensorKind::CartridgeDimm, 0, 5, kNone, "SysBoard DIMM 5"},
        {SensorKind::CartridgeDimm, 0, kNone, kNone, "SysBoard DIMM %u"},
        {SensorKind::Cartridge, 0, kNone, kNone, "SysBoard DIMMs"},
        {SensorKind::Cartridge, 0, 4, 9, "SysBoard DIMMs"},
    });
}

TEST(SensorRecordName, AMissingSecondNumberLeavesItsMark) {
    ExpectNames({{SensorKind::CartridgeDimm, 2, kNone, kNone, "CART 2: DIMM %u"}});
}

TEST(SensorRecordName, NoNameExceedsTwentyOneCharacters) {
    for (std::uint32_t index = 0; index < kSensorKindCount; ++index) {
        SensorRecord record;
        record.SetName(static_cast<SensorKind>(index), 254, 254, 254);
        EXPECT_LE(record.Name().size(), 21u) << record.Name();
    }
}

TEST(SensorRecordMatches, ExactKeyOfTheSameKind) {
    SensorRecord record;
    record.SetName(SensorKind::CartridgeDimm, 2, 5, kNone);
    EXPECT_TRUE(record.Matches(SensorKind::CartridgeDimm, 2, 5));
    EXPECT_FALSE(record.Matches(SensorKind::CartridgeDimm, 2, 4));
    EXPECT_FALSE(record.Matches(SensorKind::CartridgeDimm, 5, 2));
    EXPECT_FALSE(record.Matches(SensorKind::BoardDimm, 2, 5));
}

TEST(SensorRecordMatches, OnlyFanGroupsMatchBySubset) {
    SensorRecord fan;
    fan.SetName(SensorKind::Fan, 3, kNone, kNone);
    EXPECT_TRUE(fan.Matches(SensorKind::Fan, 3, kNone));
    EXPECT_FALSE(fan.Matches(SensorKind::Fan, 1, kNone));
    EXPECT_FALSE(fan.Matches(SensorKind::Fan, 1, 0));

    SensorRecord cpu;
    cpu.SetName(SensorKind::Cpu, 0x03, 0x01, 0);
    EXPECT_FALSE(cpu.Matches(SensorKind::Cpu, 0x01, 0x01));
}

TEST(SensorRecordMatches, FanGroupHoldingEveryFanOfTheKeyMatches) {
    SensorRecord group;  // fans 0, 2 and 9
    group.SetName(SensorKind::FanGroup, 0x05, 0x02, 1);
    EXPECT_TRUE(group.Matches(SensorKind::FanGroup, 0x05, 0x02));  // exact
    EXPECT_TRUE(group.Matches(SensorKind::FanGroup, 0x01, 0x00));  // fan 0
    EXPECT_TRUE(group.Matches(SensorKind::FanGroup, 0x00, 0x02));  // fan 9
    EXPECT_TRUE(group.Matches(SensorKind::FanGroup, 0x04, 0x02));  // fans 2 and 9
    EXPECT_FALSE(group.Matches(SensorKind::FanGroup, 0x02, 0x00));  // fan 1
    EXPECT_FALSE(group.Matches(SensorKind::FanGroup, 0x01, 0x01));  // fans 0 and 8
    EXPECT_FALSE(group.Matches(SensorKind::FanGroup, 0x00, 0x00));  // no fan
    EXPECT_FALSE(group.Matches(SensorKind::FanSharedGroup, 0x01, 0x00));
}

TEST(SensorRecordMatches, EmptyKeyMatchesOnlyAnEmptyGroup) {
    SensorRecord emptyGroup;
    emptyGroup.SetName(SensorKind::FanSharedGroup, 0x00, 0x00, 1);
    EXPECT_TRUE(emptyGroup.Matches(SensorKind::FanSharedGroup, 0x00, 0x00));
    EXPECT_FALSE(emptyGroup.Matches(SensorKind::FanSharedGroup, 0x01, 0x00));
}

SensorRecord NamedRecord(SensorKind kind, std::uint8_t number) {
    SensorRecord record;
    record.SetName(kind, number, kNone, kNone);
    return record;
}

TEST(SensorInventory, AppendCopiesAndKeepsOrder) {
    SensorInventory inventory;
    SensorRecord record = NamedRecord(SensorKind::Temperature, 1);
    inventory.Append(record);
    record.SetName(SensorKind::Temperature, 2, kNone, kNone);
    inventory.Append(record);
    record.SetName(SensorKind::Fan, 9, kNone, kNone);  // after the copy: no effect

    ASSERT_EQ(inventory.Count(), 2u);
    EXPECT_EQ(inventory.At(0).Name(), "TEMPERATURE 1");
    EXPECT_EQ(inventory.At(1).Name(), "TEMPERATURE 2");
}

TEST(SensorInventory, RemoveLastDropsOnlyTheNewestRecord) {
    SensorInventory inventory;
    inventory.Append(NamedRecord(SensorKind::Fan, 1));
    inventory.Append(NamedRecord(SensorKind::Fan, 2));
    inventory.RemoveLast();
    ASSERT_EQ(inventory.Count(), 1u);
    EXPECT_EQ(inventory.At(0).Name(), "FAN 1");
    inventory.RemoveLast();
    EXPECT_EQ(inventory.Count(), 0u);
    inventory.RemoveLast();  // harmless on an empty inventory
    EXPECT_EQ(inventory.Count(), 0u);
}

}  // namespace
}  // namespace norv
