#include "eventlog/log_entry_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "eventlog/event_text.h"
#include "eventlog/mapping_tables.h"
#include "golden_text.h"
#include "log_area_builder.h"

namespace norv {
namespace {

constexpr std::uint8_t kNone = 255;
constexpr std::uint8_t kStatusPlain = 5;
constexpr std::uint8_t kStatusToOk = 6;
constexpr std::size_t kShortEntry = test::kPlainEntryLength;

using DataBytes = std::array<std::uint8_t, 6>;

std::vector<std::uint8_t> Entry(std::uint16_t eventClass, std::uint16_t eventCode,
                                const DataBytes& data, std::uint8_t status = kStatusPlain,
                                std::size_t length = kShortEntry,
                                std::uint16_t declaredLength = 0xFFFF) {
    return test::EntryBytes({.number = 0x0102,
                             .length = length,
                             .eventClass = eventClass,
                             .eventCode = eventCode,
                             .declaredLength = declaredLength,
                             .status = status,
                             .data = data});
}

// A class-10 entry whose text starts at entry offset 29 and ends with a zero.
std::vector<std::uint8_t> TextEntry(const std::string& text) {
    std::vector<std::uint8_t> entry = Entry(10, 1, {}, kStatusPlain, 29 + text.size() + 1);
    std::copy(text.begin(), text.end(), entry.begin() + 29);
    return entry;
}

// The inventory the rows are mapped against. Decoys with a near-miss key come before the
// sensor an event names, so a key formed from the wrong bytes finds the wrong number.
struct InventorySensor {
    SensorKind kind;
    std::uint8_t number1, number2, number3, sensorNumber, ownerId;
    std::uint32_t entityId;
    std::uint8_t entityInstance;
};

using K = SensorKind;
// clang-format off
const InventorySensor kSensors[] = {
    {K::Fan, 4, kNone, kNone, 0x10, 0x41, 0x1D, 4},           {K::Fan, 3, kNone, kNone, 0x11, 0x41, 0x1D, 3},
    {K::FanGroup, 0x0C, 0x00, 1, 0x12, 0x41, 0x1D, 1},         {K::FanSharedGroup, 0x18, 0x02, 2, 0x13, 0x41, 0x1D, 2},
    {K::Temperature, 1, kNone, kNone, 0x20, 0x41, 0x07, 1},   {K::Temperature, 2, kNone, kNone, 0x21, 0x41, 0x03, 2},
    {K::PowerSupply, 1, kNone, kNone, 0x2F, 0x41, 0x0A, 1},   {K::PowerSupply, 2, kNone, kNone, 0x30, 0x41, 0x0A, 2},
    {K::PowerSubsystem, kNone, kNone, kNone, 0x31, 0x41, 0x13, 1},
    {K::CartridgeDimm, 5, 2, kNone, 0x41, 0x41, 0x20, 1},     {K::CartridgeDimm, 2, 5, kNone, 0x40, 0x41, 0x20, 5},
    {K::CartridgePirn, 2, kNone, kNone, 0x42, 0x41, 0x08, 2}, {K::Cartridge, 2, kNone, kNone, 0x43, 0x41, 0x08, 2},
    {K::AdvancedMemoryProtection, kNone, kNone, kNone, 0x44, 0x41, 0x08, 1},
    {K::Cpu, 0, 1, 1, 0x51, 0x01, 0x03, 1},                   {K::Cpu, 1, 0, 2, 0x50, 0x01, 0x03, 2},
    {K::Asr, kNone, kNone, kNone, 0x60, 0x41, 0x23, 1},       {K::Nmi, kNone, kNone, kNone, 0x61, 0x41, 0x07, 1},
    {K::SlotNotify, kNone, kNone, kNone, 0x62, 0x41, 0x07, 1}, {K::NetworkAdapters, kNone, kNone, kNone, 0x63, 0x41, 0x07, 1},
    {K::PostError, kNone, kNone, kNone, 0x64, 0x01, 0x22, 1}, {K::OsStop, kNone, kNone, kNone, 0x65, 0x41, 0x23, 1},
    {K::LogMaintenance, kNone, kNone, kNone, 0x66, 0x41, 0x21, 1}, {K::Rtc, kNone, kNone, kNone, 0x67, 0x41, 0x07, 1},
};
// clang-format on

SensorInventory MakeInventory(std::optional<SensorKind> without = std::nullopt) {
    SensorInventory inventory;
    for (const InventorySensor& s : kSensors) {
        if (s.kind == without) continue;
        SensorRecord record;
        record.SetOwnerId(s.ownerId);
        record.SetOwnerLun(0);
        record.SetSensorNumber(s.sensorNumber);
        record.SetEntityId(s.entityId);
        record.SetEntityInstance(s.entityInstance);
        record.SetName(s.kind, s.number1, s.number2, s.number3);
        record.SetPresent(1);
        inventory.Append(record);
    }
    inventory.SetValid(true);
    return inventory;
}

std::string TextOf(const SelEntry& e) {
    return EventText(e.eventType, e.sensorType, e.dataUsage, e.offset, e.eventData2, e.eventData3);
}

std::string Describe(std::uint16_t eventClass, std::uint16_t eventCode, const DataBytes& data) {
    std::string text =
        "class " + std::to_string(eventClass) + " code " + std::to_string(eventCode) + " data";
    for (std::uint8_t byte : data) text += " " + std::to_string(byte);
    return text;
}

// Bytes that do not key a sensor are set to values no sensor of the inventory uses.
constexpr DataBytes kFan = {0x50, 0x51, 0x52, 3, 0x54, 0x55};
constexpr DataBytes kShared = {0x50, 0x51, 0x52, 3, 9, 0x55};
constexpr DataBytes kDimm = {2, 5, 0x52, 0x53, 0x54, 0x55};
constexpr DataBytes kCart = {2, 0x51, 0x52, 0x53, 0x54, 0x55};
constexpr DataBytes kPs = {0x50, 0x51, 0x52, 2, 0x54, 0x55};
constexpr DataBytes kAny = {0x50, 0x51, 0x52, 0x53, 0x54, 0x55};
constexpr DataBytes Cart(std::uint8_t subKey) {
    return {2, subKey, 0x52, 0x53, 0x54, 0x55};
}
constexpr DataBytes Cpu(std::uint8_t subKey) {
    return {0, 1, subKey, 0x53, 0x54, 0x55};
}
constexpr DataBytes Ps(std::uint8_t subKey) {
    return {0x50, 0x51, 0x52, 2, subKey, 0x55};
}
constexpr DataBytes Os(std::uint8_t byte0) {
    return {byte0, 0x51, 0x52, 0x53, 0x54, 0x55};
}
constexpr DataBytes Slot(std::uint8_t number) {
    return {0x50, 0x51, 0x52, number, 0x54, 0x55};
}

// A row of the mapping table: what an entry maps to. Rows with the severity rule take the
// status-6 form of event data 2; rows with a class rule give their own event data.
struct Row {
    std::uint16_t eventClass, eventCode;
    DataBytes data;  // keys the row's sensor and, for a sub-table, selects the sub-row
    SensorKind kind;
    std::uint8_t sensorNumber, sensorType, eventType, offset, deassertion;
    bool okSeverity;
    const char* text;
    std::uint8_t eventData2 = 0xFF, data2Usage = 0, eventData3 = 0xFF, data3Usage = 0;
};

constexpr bool kOk = true, kNo = false;
constexpr std::uint8_t kA = 0, kD = 1;  // assertion, deassertion

// A row of each key shape and sub-table form, and the rows with a rule of their own; the
// golden file below holds every row.
// clang-format off
const Row kRows[] = {
    {2, 2, kFan, K::Fan, 0x11, 0x04, 0x0A, 6, kA, kOk, "Transition to Degraded"},
    {2, 6, kFan, K::FanGroup, 0x12, 0x04, 0x0B, 1, kA, kNo, "Redundancy Lost"},
    {2, 7, kShared, K::FanSharedGroup, 0x13, 0x04, 0x0B, 1, kA, kNo, "Redundancy Lost"},
    {3, 1, kDimm, K::CartridgeDimm, 0x40, 0x0C, 0x6F, 5, kA, kOk, "Correctable ECC/other correctable memory error logging limit reached"},
    {3, 4, Cart(0), K::CartridgePirn, 0x42, 0x21, 0x6F, 2, kD, kOk, "Device installed/attached"},
    {3, 5, Cart(3), K::Cartridge, 0x43, 0x0C, 0x0A, 3, kA, kOk, "Transition to On Line"},
    {3, 17, kCart, K::Cartridge, 0x43, 0x0C, 0x0A, 6, kA, kOk, "Transition to Degraded"},
    {5, 1, Cpu(1), K::Cpu, 0x50, 0x07, 0x0A, 6, kA, kNo, "Transition to Degraded"},
    {5, 2, Cpu(18), K::Cpu, 0x50, 0x07, 0x6F, 0, kA, kNo, "IERR"},
    {11, 2, kAny, K::Rtc, 0x67, 0x29, 0x6F, 0, kA, kOk, "battery low"},
    {11, 8, Ps(5), K::PowerSupply, 0x30, 0x08, 0x6F, 3, kA, kOk, "Power Supply input lost (AC/DC)"},
    {14, 2, Os(1), K::OsStop, 0x65, 0x20, 0x6F, 4, kA, kNo, "Soft Shutdown initiated by PEF"},
    // Data byte 0 values 128..135 stand for sub-keys 8..15.
    {14, 2, Os(129), K::OsStop, 0x65, 0x20, 0x6F, 4, kD, kNo, "Soft Shutdown initiated by PEF"},
    {20, 3, kAny, K::Nmi, 0x61, 0x13, 0x6F, 9, kA, kNo, "Fatal NMI"},
    {33, 1, kAny, K::LogMaintenance, 0x66, 0x10, 0x6F, 2, kA, kNo, "Log Area Reset/Cleared"},
    // Rows with their class's own data rule.
    {2, 1, {0x50, 0x51, 0x52, 2, 0x54, 70}, K::Temperature, 0x21, 0x01, 0x01, 9, kA, kNo, "Upper Critical - going high Value: 70", 70, 1},
    {9, 1, Slot(3), K::SlotNotify, 0x62, 0x21, 0x6F, 7, kD, kNo, "Interlock asserted other standard internal expansion slot, Slot/Connector Number: 3", 4, 3, 3, 3},
    {9, 9, Slot(7), K::SlotNotify, 0x62, 0x21, 0x6F, 0, kA, kNo, "Fault Status assert other standard internal expansion slot, Slot/Connector Number: 7", 4, 3, 7, 3},
    {17, 1, Slot(5), K::NetworkAdapters, 0x63, 0x21, 0x6F, 0, kA, kNo, "Fault Status assert, Slot/Connector Number: 5", 0xFF, 0, 5, 3},
    {18, 1, Slot(7), K::SlotNotify, 0x62, 0x21, 0x6F, 0, kA, kNo, "Fault Status assert SCSI, Slot/Connector Number: 7", 10, 3, 7, 3},
    {18, 3, Slot(7), K::SlotNotify, 0x62, 0x21, 0x0B, 1, kA, kNo, "Redundancy Lost SCSI", 10, 3},
    {19, 1, Slot(7), K::SlotNotify, 0x62, 0x21, 0x6F, 0, kA, kNo, "Fault Status assert Drive Array, Slot/Connector Number: 7", 1, 3, 7, 3},
    // The text of a POST error entry starts at data byte 1; "2" is not a number of 100 or more.
    {10, 1, {0x50, '2', 0, 0x53, 0x54, 0x55}, K::PostError, 0x64, 0x0F, 0x6F, 0, kA, kNo, "System Firmware POST error"},
};
// clang-format on

// Every row of the mapping table with the event text it gives, as a reviewed file.
TEST(MappingTable, EveryRowAsReviewed) {
    std::string text;
    const auto print = [&](std::uint32_t eventClass, std::uint32_t eventCode, int subKey,
                           const MappingRow& row) {
        if (!row.Mapped()) return;
        char line[256];
        std::snprintf(line, sizeof line,
                      "%u.%u.%d kind %u type %02X/%02X offset %u %s rule %d: %s\n", eventClass,
                      eventCode, subKey, static_cast<unsigned>(KindIndex(row.sensorKind)),
                      row.sensorType, row.eventType, row.offset,
                      row.direction == EventDirection::Deassertion ? "deassert" : "assert",
                      static_cast<int>(row.dataRule),
                      EventText(row.eventType, row.sensorType, 0, row.offset, 0xFF, 0xFF).c_str());
        text += line;
    };
    for (std::uint32_t eventClass = 0; eventClass < kEventClassCount; ++eventClass) {
        for (std::uint32_t code = 0; const MappingRow* row = FindMappingRow(eventClass, code);
             ++code) {
            if (row->subTable == nullptr) {
                print(eventClass, code, -1, *row);
                continue;
            }
            text +=
                "sub-table of " + std::to_string(eventClass) + "." + std::to_string(code) +
                ": data byte " + std::to_string(row->subTable->dataByte) + ", " +
                std::to_string(row->subTable->rows.size()) + " rows" +
                (row->subTable->rule == SubKeyRule::DataByteWithHighRange ? ", 128..135 as 8..15\n"
                                                                          : "\n");
            for (std::size_t sub = 0; sub < row->subTable->rows.size(); ++sub) {
                print(eventClass, code, static_cast<int>(sub), row->subTable->rows[sub]);
            }
        }
    }
    test::ExpectGolden("mapping_table.txt", text);
}

TEST(MapEntry, RowsOfTheMappingTableWithAndWithoutTheTransitionToOkStatus) {
    const SensorInventory inventory = MakeInventory();
    for (const Row& row : kRows) {
        for (const std::uint8_t status : {kStatusPlain, kStatusToOk}) {
            SCOPED_TRACE(Describe(row.eventClass, row.eventCode, row.data) + " status " +
                         std::to_string(status));
            SelEntry e;
            ASSERT_TRUE(
                MapEntry(Entry(row.eventClass, row.eventCode, row.data, status), inventory, e));
            EXPECT_EQ(e.sensorKind, row.kind);
            EXPECT_EQ(e.sensorNumber, row.sensorNumber);
            EXPECT_EQ(e.sensorType, row.sensorType);
            EXPECT_EQ(e.eventType, row.eventType);
            EXPECT_EQ(e.offset, row.offset);
            EXPECT_EQ(e.deassertion, row.deassertion);
            EXPECT_EQ(e.recordId, 0x0102);
            EXPECT_EQ(e.eventData3, row.eventData3);
            EXPECT_EQ(e.EventData3Usage(), row.data3Usage);
            if (row.okSeverity && status == kStatusToOk) {
                EXPECT_EQ(e.eventData2, 0x0F);
                EXPECT_EQ(e.EventData2Usage(), 1);  // previous state and severity
                EXPECT_EQ(TextOf(e), std::string(row.text) + ".  Severity: Transition to OK");
            } else {
                EXPECT_EQ(e.eventData2, row.eventData2);
                EXPECT_EQ(e.EventData2Usage(), row.data2Usage);
                EXPECT_EQ(TextOf(e), row.text);
            }
        }
        SelEntry e;  // the row's sensor missing from the inventory drops the entry
        EXPECT_FALSE(
            MapEntry(Entry(row.eventClass, row.eventCode, row.data), MakeInventory(row.kind), e))
            << Describe(row.eventClass, row.eventCode, row.data);
    }
}

TEST(MapEntry, UnmappedClassesCodesAndSubKeysAreDropped) {
    // Past the class table, a class or a code without a row, past a class's codes; the
    // golden file holds which codes are mapped.
    const std::pair<std::uint16_t, std::uint16_t> anyData[] = {
        {4, 1}, {37, 1}, {38, 1}, {0xFFFF, 1}, {2, 0}, {2, 3}, {2, 8}, {2, 0x0102}, {33, 2}};
    const SensorInventory inventory = MakeInventory();
    SelEntry e;
    for (const auto& [eventClass, eventCode] : anyData) {
        const DataBytes data = eventClass == 2    ? kFan
                               : eventClass == 3  ? kDimm
                               : eventClass == 11 ? kPs
                                                  : Slot(3);
        EXPECT_FALSE(MapEntry(Entry(eventClass, eventCode, data), inventory, e))
            << Describe(eventClass, eventCode, data);
    }
    struct SubKey {
        std::uint16_t eventClass, eventCode;
        DataBytes data;
    };
    // Sub-keys at each sub-table's limit, and around the high range of class 14.
    const SubKey subKeys[] = {{3, 4, Cart(4)},  {5, 1, Cpu(2)},  {5, 2, Cpu(19)},  {5, 2, Cpu(255)},
                              {11, 8, Ps(6)},   {14, 2, Os(8)},  {14, 2, Os(127)}, {14, 2, Os(128)},
                              {14, 2, Os(136)}, {14, 2, Os(255)}};
    for (const SubKey& c : subKeys) {
        EXPECT_FALSE(MapEntry(Entry(c.eventClass, c.eventCode, c.data), inventory, e))
            << Describe(c.eventClass, c.eventCode, c.data);
    }
}

TEST(MapEntry, SensorKeysFromTheDataBytes) {
    struct Case {
        std::uint16_t eventClass, eventCode;
        DataBytes data;
        std::uint8_t key1, key2;
    };
    SensorInventory inventory = MakeInventory();
    // Groups that hold every fan, so that any fan key finds one.
    for (const SensorKind kind : {SensorKind::FanGroup, SensorKind::FanSharedGroup}) {
        SensorRecord all;
        all.SetName(kind, 0xFF, 0xFF, 9);
        inventory.Append(all);
    }
    const Case cases[] = {
        {2, 1, {0x50, 0x51, 0x52, 2, 0x54, 70}, 2, 255},  // temperature
        {11, 9, kPs, 2, 255},                             // power supply
        {2, 6, kFan, 0x08, 0x00},                         // fan group, fan 3
        {2, 6, Slot(11), 0x00, 0x08},                     // fan group, fan 11
        {2, 6, Slot(15), 0x00, 0x80},
        {2, 6, Slot(16), 255, 255},   // no such fan
        {2, 7, kShared, 0x08, 0x02},  // shared group, fans 3 and 9
        {2, 7, {0x50, 0x51, 0x52, 0, 15, 0x55}, 0x01, 0x80},
        {2, 7, {0x50, 0x51, 0x52, 4, 4, 0x55}, 0x10, 0x00},   // one fan twice
        {2, 7, {0x50, 0x51, 0x52, 3, 16, 0x55}, 0x08, 0x00},  // no partner
        {2, 7, {0x50, 0x51, 0x52, 200, 9, 0x55}, 255, 255},
        {3, 2, kDimm, 2, 5},      // cartridge DIMM
        {3, 4, Cart(1), 2, 255},  // cartridge PIRN
        {3, 10, kCart, 2, 255},   // cartridge
        {13, 2, kAny, 255, 255},
        {9, 1, Slot(3), 255, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Describe(c.eventClass, c.eventCode, c.data));
        SelEntry e;
        ASSERT_TRUE(MapEntry(Entry(c.eventClass, c.eventCode, c.data), inventory, e));
        EXPECT_EQ(e.key1, c.key1);
        EXPECT_EQ(e.key2, c.key2);
    }
}

TEST(FindSensor, CopiesTheFirstMatchingRecordsIdentity) {
    SensorInventory inventory;
    SensorRecord other;
    other.SetName(SensorKind::Temperature, 1, kNone, kNone);
    inventory.Append(other);
    SensorRecord first;
    first.SetName(SensorKind::Temperature, 2, kNone, kNone);
    first.SetOwnerId(0x41);
    first.SetOwnerLun(1);
    first.SetSensorNumber(33);
    first.SetEntityId(0x03);
    first.SetEntityInstance(2);
    inventory.Append(first);  // not present: still found by the event log
    SensorRecord second = first;
    second.SetSensorNumber(34);
    inventory.Append(second);
    SelEntry e;
    e.sensorKind = SensorKind::Temperature;
    e.key1 = 2;
    e.key2 = kNone;
    ASSERT_TRUE(FindSensor(inventory, e));
    EXPECT_EQ(e.sensorNumber, 33);
    EXPECT_EQ(e.ownerId, 0x41);
    EXPECT_EQ(e.ownerLun, 1);
    EXPECT_EQ(e.entityId, 0x03u);
    EXPECT_EQ(e.entityInstance, 2);
    EXPECT_EQ(e.deviceId, "33.1.65");  // sensor number, owner LUN, owner id
    EXPECT_EQ(e.sensorLabel, "TEMPERATURE 2(33.1.65)");
    e.key1 = 3;
    EXPECT_FALSE(FindSensor(inventory, e));
}

TEST(MapEntry, KeepsTheEntrysFirst256BytesAndBuildsEventData1) {
    const std::vector<std::uint8_t> entry = Entry(2, 1, {0, 0, 0, 2, 0, 70});
    SelEntry e;
    e.raw.fill(0xEE);
    ASSERT_TRUE(MapEntry(entry, MakeInventory(), e));
    EXPECT_TRUE(std::equal(entry.begin(), entry.end(), e.raw.begin()));
    EXPECT_TRUE(std::all_of(e.raw.begin() + kShortEntry, e.raw.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(e.entityId, 0x03u);
    EXPECT_EQ(e.EventData1(), 0x49);  // usage 1 for event data 2 in bits 7..6, offset 9

    std::vector<std::uint8_t> longEntry = Entry(33, 1, kAny, kStatusPlain, 300);
    for (std::size_t i = kShortEntry; i < longEntry.size(); ++i)
        longEntry[i] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(MapEntry(longEntry, MakeInventory(), e));
    EXPECT_TRUE(std::equal(e.raw.begin(), e.raw.end(), longEntry.begin()));
    EXPECT_EQ(e.raw[1], 300 >> 8);  // the length field is kept as written
}

TEST(MapEntry, PostErrorNumberFromTheText) {
    struct Case {
        const char* text;
        std::uint8_t eventData2, eventData3;
    };
    const Case cases[] = {
        {"1785-Slot 1 Drive Array Not Configured", 17, 85},
        {"Slot 1 Drive Array 1785", 17, 85},  // a run at the end counts too
        {"162-System Options Not Set", 1, 62},
        {"99", 0xFF, 0xFF},
        {"100", 1, 0},
        {"9999", 99, 99},
        {"10000", 0xFF, 0xFF},
        {"10000 and 250", 2, 50},
        {"123 456 200", 4, 56},  // the largest, neither the first nor the last
        {"0000345", 3, 45},
        {"No number at all", 0xFF, 0xFF},
        {"4294969081", 0xFF, 0xFF},  // would wrap a 32-bit accumulator to 1785
        {"99999999999999999999999999999999 207", 2, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SelEntry e;
        ASSERT_TRUE(MapEntry(TextEntry(c.text), MakeInventory(), e));
        EXPECT_EQ(e.sensorNumber, 0x64);
        EXPECT_EQ(e.eventData2, c.eventData2);
        EXPECT_EQ(e.eventData3, c.eventData3);
        if (c.eventData2 == 0xFF) {
            EXPECT_EQ(e.dataUsage, 0);
            EXPECT_EQ(TextOf(e), "System Firmware POST error");
        } else {
            EXPECT_EQ(e.dataUsage, 0x0A);  // OEM codes in both
            EXPECT_EQ(TextOf(e),
                      "System Firmware POST error OEM code: " + std::to_string(c.eventData2) +
                          " OEM code: " + std::to_string(c.eventData3));
        }
    }
}

TEST(MapEntry, PostErrorTextStopsAtTheEndOfTheEntryAndOfThe256ByteCopy) {
    SelEntry e;
    // No terminating zero: the text ends with the entry, here right after "1234".
    const std::string text = "Err 1234";
    std::vector<std::uint8_t> entry = Entry(10, 1, kAny, kStatusPlain, 29 + text.size());
    std::copy(text.begin(), text.end(), entry.begin() + 29);
    ASSERT_TRUE(MapEntry(entry, MakeInventory(), e));
    EXPECT_EQ(e.eventData2 * 100 + e.eventData3, 1234);
    // The length field ends the entry before its bytes do: the digits after it are not read.
    std::vector<std::uint8_t> longer = Entry(10, 1, kAny, kStatusPlain, 40, 35);
    const std::string digits = "x 123456789";
    std::copy(digits.begin(), digits.end(), longer.begin() + 29);
    ASSERT_TRUE(MapEntry(longer, MakeInventory(), e));
    EXPECT_EQ(e.eventData2 * 100 + e.eventData3, 1234);
    // "1785" in the last four bytes of the copy and "9" just past it.
    std::vector<std::uint8_t> cut = Entry(10, 1, kAny, kStatusPlain, 300);
    std::fill(cut.begin() + 29, cut.end(), 'x');
    const std::string run = "17859";
    std::copy(run.begin(), run.end(), cut.begin() + 252);
    ASSERT_TRUE(MapEntry(cut, MakeInventory(), e));
    EXPECT_EQ(e.eventData2 * 100 + e.eventData3, 1785);
}

// The shortest entry that each kind of row maps from; every shorter one is dropped.
TEST(MapEntry, TruncatedEntriesAreDroppedWithoutReadingPastTheirEnd) {
    struct Case {
        std::uint16_t eventClass, eventCode;
        DataBytes data;
        std::size_t shortest;
    };
    const Case cases[] = {
        {33, 1, kAny, 24},
        {11, 6, kAny, 24},  // no data byte read; the status byte read
        {3, 2, kDimm, 30},
        {3, 4, Cart(1), 30},
        {5, 2, Cpu(7), 31},
        {2, 5, kFan, 32},
        {2, 7, kShared, 33},
        {11, 8, Ps(5), 33},
        {2, 1, {0, 0, 0, 2, 0, 70}, 34},
        {17, 1, Slot(5), 32},
        {10, 1, {}, 30},
    };
    const SensorInventory inventory = MakeInventory();
    for (const Case& c : cases) {
        for (std::size_t length = 0; length <= kShortEntry; ++length) {
            SelEntry e;
            EXPECT_EQ(MapEntry(Entry(c.eventClass, c.eventCode, c.data, kStatusToOk, length),
                               inventory, e),
                      length >= c.shortest)
                << Describe(c.eventClass, c.eventCode, c.data) << ", length " << length;
        }
    }
    SelEntry e;
    // The length field says 31: data byte 3, the fan number, lies outside the entry.
    EXPECT_FALSE(MapEntry(Entry(2, 5, kFan, kStatusPlain, 64, 31), inventory, e));
    EXPECT_EQ(e.raw[31], 0);  // only the entry's own bytes are kept
    EXPECT_TRUE(MapEntry(Entry(2, 5, kFan, kStatusPlain, 64, 32), inventory, e));
    // The length field claims more than there is: what is there is read.
    EXPECT_TRUE(MapEntry(Entry(2, 5, kFan, kStatusPlain, 32, 300), inventory, e));
    EXPECT_FALSE(MapEntry(Entry(2, 5, kFan, kStatusPlain, 31, 300), inventory, e));
    EXPECT_FALSE(MapEntry(Entry(33, 1, kAny, kStatusPlain, 34, 0), inventory, e));  // length 0
}

}  // namespace
}  // namespace norv
