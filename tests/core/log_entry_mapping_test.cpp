#include "eventlog/log_entry_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "eventlog/event_text.h"

namespace norv {
namespace {

constexpr std::uint8_t kNone = 255;
constexpr std::uint8_t kStatusPlain = 5;
constexpr std::uint8_t kStatusToOk = 6;
constexpr std::uint16_t kEntryNumber = 0x0102;
constexpr std::size_t kShortEntry = 34;  // header and the six data bytes

using DataBytes = std::array<std::uint8_t, 6>;

// A management-log entry of exactly `length` bytes (the length field says the same unless
// `declaredLength` is given), in a buffer of its own size so that AddressSanitizer catches
// any read past its end.
std::vector<std::uint8_t> BuildEntry(std::uint16_t eventClass, std::uint16_t eventCode,
                                     const DataBytes& data, std::uint8_t status = kStatusPlain,
                                     std::size_t length = kShortEntry,
                                     std::optional<std::uint16_t> declaredLength = std::nullopt) {
    std::vector<std::uint8_t> full(std::max<std::size_t>(length, kShortEntry), 0);
    const std::uint16_t declared = declaredLength.value_or(static_cast<std::uint16_t>(length));
    full[0] = static_cast<std::uint8_t>(declared & 0xFF);
    full[1] = static_cast<std::uint8_t>(declared >> 8);
    full[2] = kEntryNumber & 0xFF;
    full[3] = kEntryNumber >> 8;
    full[7] = status;
    full[8] = static_cast<std::uint8_t>(eventClass & 0xFF);
    full[9] = static_cast<std::uint8_t>(eventClass >> 8);
    full[10] = static_cast<std::uint8_t>(eventCode & 0xFF);
    full[11] = static_cast<std::uint8_t>(eventCode >> 8);
    const DataBytes dateTime = {20, 7, 1, 2, 10, 30};
    std::copy(dateTime.begin(), dateTime.end(), full.begin() + 18);
    std::copy(data.begin(), data.end(), full.begin() + 28);
    full.resize(length);
    full.shrink_to_fit();
    return full;
}

// A class-10 entry whose text starts at entry offset 29 and ends with a zero.
std::vector<std::uint8_t> BuildTextEntry(const std::string& text) {
    std::vector<std::uint8_t> entry =
        BuildEntry(10, 1, {0, 0, 0, 0, 0, 0}, kStatusPlain, 29 + text.size() + 1);
    std::copy(text.begin(), text.end(), entry.begin() + 29);
    return entry;
}

// The inventory the rows are mapped against. Decoys with a near-miss key come before the
// sensor an event names, so a key formed from the wrong bytes finds the wrong number.
struct InventorySensor {
    SensorKind kind;
    std::uint8_t number1, number2, number3;
    std::uint8_t sensorNumber;
    std::uint8_t ownerId;
    std::uint32_t entityId;
    std::uint8_t entityInstance;
};

constexpr std::uint8_t kFan3 = 0x11;
constexpr std::uint8_t kFanGroup = 0x12;
constexpr std::uint8_t kFanSharedGroup = 0x13;
constexpr std::uint8_t kTemperature2 = 0x21;
constexpr std::uint8_t kPowerSupply2 = 0x30;
constexpr std::uint8_t kPowerSubsystem = 0x31;
constexpr std::uint8_t kDimm2Of5 = 0x40;
constexpr std::uint8_t kPirn2 = 0x42;
constexpr std::uint8_t kCartridge2 = 0x43;
constexpr std::uint8_t kAmp = 0x44;
constexpr std::uint8_t kCpuSlot1 = 0x50;
constexpr std::uint8_t kAsr = 0x60;
constexpr std::uint8_t kNmi = 0x61;
constexpr std::uint8_t kSlotNotify = 0x62;
constexpr std::uint8_t kNetworkAdapters = 0x63;
constexpr std::uint8_t kPostError = 0x64;
constexpr std::uint8_t kOsStop = 0x65;
constexpr std::uint8_t kLogMaintenance = 0x66;
constexpr std::uint8_t kRtc = 0x67;

const std::vector<InventorySensor> kSensors = {
    {SensorKind::Fan, 4, kNone, kNone, 0x10, 0x41, 0x1D, 4},
    {SensorKind::Fan, 3, kNone, kNone, kFan3, 0x41, 0x1D, 3},
    {SensorKind::FanGroup, 0x0C, 0x00, 1, kFanGroup, 0x41, 0x1D, 1},
    {SensorKind::FanSharedGroup, 0x18, 0x02, 2, kFanSharedGroup, 0x41, 0x1D, 2},
    {SensorKind::Temperature, 1, kNone, kNone, 0x20, 0x41, 0x07, 1},
    {SensorKind::Temperature, 2, kNone, kNone, kTemperature2, 0x41, 0x03, 2},
    {SensorKind::PowerSupply, 1, kNone, kNone, 0x2F, 0x41, 0x0A, 1},
    {SensorKind::PowerSupply, 2, kNone, kNone, kPowerSupply2, 0x41, 0x0A, 2},
    {SensorKind::PowerSubsystem, kNone, kNone, kNone, kPowerSubsystem, 0x41, 0x13, 1},
    {SensorKind::CartridgeDimm, 5, 2, kNone, 0x41, 0x41, 0x20, 1},
    {SensorKind::CartridgeDimm, 2, 5, kNone, kDimm2Of5, 0x41, 0x20, 5},
    {SensorKind::CartridgePirn, 2, kNone, kNone, kPirn2, 0x41, 0x08, 2},
    {SensorKind::Cartridge, 2, kNone, kNone, kCartridge2, 0x41, 0x08, 2},
    {SensorKind::AdvancedMemoryProtection, kNone, kNone, kNone, kAmp, 0x41, 0x08, 1},
    {SensorKind::Cpu, 0, 1, 1, 0x51, 0x01, 0x03, 1},
    {SensorKind::Cpu, 1, 0, 2, kCpuSlot1, 0x01, 0x03, 2},
    {SensorKind::Asr, kNone, kNone, kNone, kAsr, 0x41, 0x23, 1},
    {SensorKind::Nmi, kNone, kNone, kNone, kNmi, 0x41, 0x07, 1},
    {SensorKind::SlotNotify, kNone, kNone, kNone, kSlotNotify, 0x41, 0x07, 1},
    {SensorKind::NetworkAdapters, kNone, kNone, kNone, kNetworkAdapters, 0x41, 0x07, 1},
    {SensorKind::PostError, kNone, kNone, kNone, kPostError, 0x01, 0x22, 1},
    {SensorKind::OsStop, kNone, kNone, kNone, kOsStop, 0x41, 0x23, 1},
    {SensorKind::LogMaintenance, kNone, kNone, kNone, kLogMaintenance, 0x41, 0x21, 1},
    {SensorKind::Rtc, kNone, kNone, kNone, kRtc, 0x41, 0x07, 1},
};

SensorRecord MakeRecord(const InventorySensor& sensor) {
    SensorRecord record;
    record.SetOwnerId(sensor.ownerId);
    record.SetOwnerLun(0);
    record.SetSensorNumber(sensor.sensorNumber);
    record.SetEntityId(sensor.entityId);
    record.SetEntityInstance(sensor.entityInstance);
    record.SetName(sensor.kind, sensor.number1, sensor.number2, sensor.number3);
    record.SetPresent(1);
    return record;
}

SensorInventory MakeInventory(std::optional<SensorKind> without = std::nullopt) {
    SensorInventory inventory;
    for (const InventorySensor& sensor : kSensors) {
        if (sensor.kind != without) inventory.Append(MakeRecord(sensor));
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

// One mapped row of the mapping table whose event data stay at their defaults unless the
// row takes the status-6 severity form.
struct PlainRowCase {
    std::uint16_t eventClass;
    std::uint16_t eventCode;
    DataBytes data;  // keys the row's sensor and, for a sub-table, selects the sub-row
    SensorKind kind;
    std::uint8_t sensorNumber;
    std::uint8_t sensorType;
    std::uint8_t eventType;
    std::uint8_t offset;
    std::uint8_t deassertion;
    bool okSeverity;
    const char* text;
};

using K = SensorKind;
constexpr bool kOk = true;
constexpr bool kNo = false;
constexpr std::uint8_t kA = 0;  // assertion
constexpr std::uint8_t kD = 1;  // deassertion

// Bytes that do not key a sensor are set to values no sensor of the inventory uses.
constexpr DataBytes kFanBytes = {0x50, 0x51, 0x52, 3, 0x54, 0x55};
constexpr DataBytes kSharedBytes = {0x50, 0x51, 0x52, 3, 9, 0x55};
constexpr DataBytes kDimmBytes = {2, 5, 0x52, 0x53, 0x54, 0x55};
constexpr DataBytes kCartBytes = {2, 0x51, 0x52, 0x53, 0x54, 0x55};
constexpr DataBytes kPsBytes = {0x50, 0x51, 0x52, 2, 0x54, 0x55};
constexpr DataBytes kAnyBytes = {0x50, 0x51, 0x52, 0x53, 0x54, 0x55};

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

const std::vector<PlainRowCase> kPlainRows = {
    {2, 2, kFanBytes, K::Fan, kFan3, 0x04, 0x0A, 6, kA, kOk, "Transition to Degraded"},
    {2, 4, kFanBytes, K::Fan, kFan3, 0x04, 0x08, 0, kA, kOk, "Device Removed/Device Absent"},
    {2, 5, kFanBytes, K::Fan, kFan3, 0x04, 0x08, 1, kA, kNo, "Device Inserted/Device Present"},
    {2, 6, kFanBytes, K::FanGroup, kFanGroup, 0x04, 0x0B, 1, kA, kNo, "Redundancy Lost"},
    {2, 7, kSharedBytes, K::FanSharedGroup, kFanSharedGroup, 0x04, 0x0B, 1, kA, kNo,
     "Redundancy Lost"},
    {3, 1, kDimmBytes, K::CartridgeDimm, kDimm2Of5, 0x0C, 0x6F, 5, kA, kOk,
     "Correctable ECC/other correctable memory error logging limit reached"},
    {3, 2, kDimmBytes, K::CartridgeDimm, kDimm2Of5, 0x0C, 0x6F, 1, kA, kOk,
     "Uncorrectable ECC/other uncorrectable memory error"},
    {3, 3, kAnyBytes, K::AdvancedMemoryProtection, kAmp, 0x0C, 0x6F, 1, kA, kNo,
     "Uncorrectable ECC/other uncorrectable memory error"},
    {3, 4, Cart(0), K::CartridgePirn, kPirn2, 0x21, 0x6F, 2, kD, kOk, "Device installed/attached"},
    {3, 4, Cart(1), K::CartridgePirn, kPirn2, 0x21, 0x6F, 2, kA, kOk, "Device installed/attached"},
    {3, 4, Cart(2), K::CartridgePirn, kPirn2, 0x21, 0x6F, 7, kD, kOk, "Interlock asserted"},
    {3, 4, Cart(3), K::CartridgePirn, kPirn2, 0x21, 0x6F, 7, kA, kOk, "Interlock asserted"},
    {3, 5, Cart(0), K::CartridgePirn, kPirn2, 0x21, 0x6F, 0, kA, kOk, "Fault Status assert"},
    {3, 5, Cart(1), K::CartridgePirn, kPirn2, 0x21, 0x6F, 0, kA, kOk, "Fault Status assert"},
    {3, 5, Cart(2), K::Cartridge, kCartridge2, 0x0C, 0x0B, 1, kA, kOk, "Redundancy Lost"},
    {3, 5, Cart(3), K::Cartridge, kCartridge2, 0x0C, 0x0A, 3, kA, kOk, "Transition to On Line"},
    {3, 6, kDimmBytes, K::CartridgeDimm, kDimm2Of5, 0x0C, 0x6F, 7, kA, kOk, "Configuration error"},
    {3, 8, kDimmBytes, K::CartridgeDimm, kDimm2Of5, 0x0C, 0x6F, 4, kA, kOk,
     "Memory Device Disabled"},
    {3, 9, kDimmBytes, K::CartridgeDimm, kDimm2Of5, 0x0C, 0x6F, 4, kA, kOk,
     "Memory Device Disabled"},
    {3, 10, kCartBytes, K::Cartridge, kCartridge2, 0x0C, 0x6F, 5, kA, kOk,
     "Correctable ECC/other correctable memory error logging limit reached"},
    {3, 11, kCartBytes, K::Cartridge, kCartridge2, 0x0C, 0x0B, 2, kA, kOk, "Redundancy Degraded"},
    {3, 12, kCartBytes, K::Cartridge, kCartridge2, 0x0C, 0x0B, 2, kA, kOk, "Redundancy Degraded"},
    {3, 13, kAnyBytes, K::AdvancedMemoryProtection, kAmp, 0x0C, 0x0B, 1, kA, kOk,
     "Redundancy Lost"},
    {3, 14, kAnyBytes, K::AdvancedMemoryProtection, kAmp, 0x0C, 0x6F, 8, kD, kOk, "Spare"},
    {3, 15, kAnyBytes, K::AdvancedMemoryProtection, kAmp, 0x0C, 0x0B, 1, kA, kOk,
     "Redundancy Lost"},
    {3, 17, kCartBytes, K::Cartridge, kCartridge2, 0x0C, 0x0A, 6, kA, kOk,
     "Transition to Degraded"},
    {5, 1, Cpu(1), K::Cpu, kCpuSlot1, 0x07, 0x0A, 6, kA, kNo, "Transition to Degraded"},
    {5, 2, Cpu(7), K::Cpu, kCpuSlot1, 0x07, 0x6F, 0, kA, kNo, "IERR"},
    {5, 2, Cpu(14), K::Cpu, kCpuSlot1, 0x07, 0x6F, 0, kA, kNo, "IERR"},
    {5, 2, Cpu(15), K::Cpu, kCpuSlot1, 0x07, 0x6F, 0, kA, kNo, "IERR"},
    {5, 2, Cpu(16), K::Cpu, kCpuSlot1, 0x07, 0x6F, 0, kA, kNo, "IERR"},
    {5, 2, Cpu(17), K::Cpu, kCpuSlot1, 0x07, 0x6F, 0, kA, kNo, "IERR"},
    {5, 2, Cpu(18), K::Cpu, kCpuSlot1, 0x07, 0x6F, 0, kA, kNo, "IERR"},
    {6, 1, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 8, kA, kNo, "Bus Uncorrectable Error"},
    {6, 2, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 8, kA, kNo, "Bus Uncorrectable Error"},
    {7, 1, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 6, kA, kNo, "EISA Fail Safe Timeout"},
    {7, 2, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 6, kA, kNo, "EISA Fail Safe Timeout"},
    {7, 3, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 2, kA, kNo, "I/O channel check NMI"},
    {7, 4, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 8, kA, kNo, "Bus Uncorrectable Error"},
    {8, 1, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 5, kA, kNo, "PCI SERR"},
    {11, 1, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x6F, 1, kA, kOk,
     "Power Supply Failure detected"},
    {11, 2, kAnyBytes, K::Rtc, kRtc, 0x29, 0x6F, 0, kA, kOk, "battery low"},
    {11, 4, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x08, 0, kA, kNo,
     "Device Removed/Device Absent"},
    {11, 5, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x08, 1, kA, kNo,
     "Device Inserted/Device Present"},
    {11, 6, kAnyBytes, K::PowerSubsystem, kPowerSubsystem, 0x08, 0x0B, 1, kA, kOk,
     "Redundancy Lost"},
    {11, 8, Ps(1), K::PowerSupply, kPowerSupply2, 0x08, 0x6F, 5, kA, kOk,
     "Power Supply input out-of-range, but present"},
    {11, 8, Ps(2), K::PowerSupply, kPowerSupply2, 0x08, 0x6F, 4, kA, kOk,
     "Power Supply input lost or out-of-range"},
    {11, 8, Ps(3), K::PowerSupply, kPowerSupply2, 0x08, 0x6F, 5, kA, kOk,
     "Power Supply input out-of-range, but present"},
    {11, 8, Ps(4), K::PowerSupply, kPowerSupply2, 0x08, 0x6F, 4, kA, kOk,
     "Power Supply input lost or out-of-range"},
    {11, 8, Ps(5), K::PowerSupply, kPowerSupply2, 0x08, 0x6F, 3, kA, kOk,
     "Power Supply input lost (AC/DC)"},
    {11, 9, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x6F, 2, kA, kNo, "Predictive Failure"},
    {11, 10, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x0A, 3, kA, kNo,
     "Transition to On Line"},
    {11, 11, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x0A, 2, kA, kNo,
     "Transition to Power Off"},
    {11, 12, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x6F, 1, kA, kOk,
     "Power Supply Failure detected"},
    {11, 13, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x08, 0, kA, kNo,
     "Device Removed/Device Absent"},
    {11, 14, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x08, 1, kA, kNo,
     "Device Inserted/Device Present"},
    {11, 15, kAnyBytes, K::PowerSubsystem, kPowerSubsystem, 0x08, 0x0B, 1, kA, kOk,
     "Redundancy Lost"},
    {11, 16, kPsBytes, K::PowerSupply, kPowerSupply2, 0x08, 0x6F, 2, kA, kNo, "Predictive Failure"},
    {13, 1, kAnyBytes, K::Asr, kAsr, 0x23, 0x6F, 3, kA, kNo, "Power Cycle"},
    {13, 2, kAnyBytes, K::Asr, kAsr, 0x23, 0x6F, 0, kA, kNo, "Timer expired"},
    {13, 3, kAnyBytes, K::Asr, kAsr, 0x23, 0x05, 1, kA, kNo, "Limit Exceeded"},
    {14, 1, kAnyBytes, K::OsStop, kOsStop, 0x20, 0x6F, 1, kA, kNo, "Run-time Critical Stop"},
    {14, 2, Os(1), K::OsStop, kOsStop, 0x20, 0x6F, 4, kA, kNo, "Soft Shutdown initiated by PEF"},
    {14, 2, Os(2), K::OsStop, kOsStop, 0x20, 0x6F, 4, kA, kNo, "Soft Shutdown initiated by PEF"},
    {14, 2, Os(3), K::OsStop, kOsStop, 0x20, 0x6F, 4, kA, kNo, "Soft Shutdown initiated by PEF"},
    // Data byte 0 values 128..135 stand for sub-keys 8..15.
    {14, 2, Os(129), K::OsStop, kOsStop, 0x20, 0x6F, 4, kD, kNo, "Soft Shutdown initiated by PEF"},
    {14, 2, Os(130), K::OsStop, kOsStop, 0x20, 0x6F, 4, kD, kNo, "Soft Shutdown initiated by PEF"},
    {14, 2, Os(131), K::OsStop, kOsStop, 0x20, 0x6F, 4, kD, kNo, "Soft Shutdown initiated by PEF"},
    {14, 2, Os(132), K::OsStop, kOsStop, 0x20, 0x6F, 4, kD, kNo, "Soft Shutdown initiated by PEF"},
    {14, 2, Os(133), K::OsStop, kOsStop, 0x20, 0x6F, 4, kA, kNo, "Soft Shutdown initiated by PEF"},
    {14, 2, Os(134), K::OsStop, kOsStop, 0x20, 0x6F, 5, kA, kNo, "Agent Not Responding"},
    {14, 2, Os(135), K::OsStop, kOsStop, 0x20, 0x6F, 5, kA, kNo, "Agent Not Responding"},
    {14, 3, kAnyBytes, K::OsStop, kOsStop, 0x20, 0x6F, 1, kA, kNo, "Run-time Critical Stop"},
    {14, 4, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 0, kA, kNo,
     "Front Panel NMI/Diagnostic Interrupt"},
    {14, 6, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 3, kA, kNo, "Software NMI"},
    {20, 1, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 9, kA, kNo, "Fatal NMI"},
    {20, 2, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 9, kA, kNo, "Fatal NMI"},
    {20, 3, kAnyBytes, K::Nmi, kNmi, 0x13, 0x6F, 9, kA, kNo, "Fatal NMI"},
    {33, 1, kAnyBytes, K::LogMaintenance, kLogMaintenance, 0x10, 0x6F, 2, kA, kNo,
     "Log Area Reset/Cleared"},
};

void ExpectRowFields(const SelEntry& e, const PlainRowCase& row) {
    EXPECT_EQ(e.sensorKind, row.kind);
    EXPECT_EQ(e.sensorNumber, row.sensorNumber);
    EXPECT_EQ(e.sensorType, row.sensorType);
    EXPECT_EQ(e.eventType, row.eventType);
    EXPECT_EQ(e.offset, row.offset);
    EXPECT_EQ(e.deassertion, row.deassertion);
    EXPECT_EQ(e.recordId, kEntryNumber);
}

TEST(MapEntry, EveryPlainRowOfTheMappingTable) {
    const SensorInventory inventory = MakeInventory();
    for (const PlainRowCase& row : kPlainRows) {
        SCOPED_TRACE(Describe(row.eventClass, row.eventCode, row.data));
        SelEntry e;
        ASSERT_TRUE(MapEntry(BuildEntry(row.eventClass, row.eventCode, row.data), inventory, e));
        ExpectRowFields(e, row);
        EXPECT_EQ(e.eventData2, 0xFF);
        EXPECT_EQ(e.eventData3, 0xFF);
        EXPECT_EQ(e.dataUsage, 0);
        EXPECT_EQ(TextOf(e), row.text);
    }
}

TEST(MapEntry, StatusSixGivesTheTransitionToOkSeverityOnlyOnItsRows) {
    const SensorInventory inventory = MakeInventory();
    for (const PlainRowCase& row : kPlainRows) {
        SCOPED_TRACE(Describe(row.eventClass, row.eventCode, row.data));
        SelEntry e;
        ASSERT_TRUE(MapEntry(BuildEntry(row.eventClass, row.eventCode, row.data, kStatusToOk),
                             inventory, e));
        ExpectRowFields(e, row);
        EXPECT_EQ(e.eventData3, 0xFF);
        if (row.okSeverity) {
            EXPECT_EQ(e.eventData2, 0x0F);
            EXPECT_EQ(e.dataUsage, 0x04);  // event data 2: previous state and severity
            EXPECT_EQ(TextOf(e), std::string(row.text) + ".  Severity: Transition to OK");
        } else {
            EXPECT_EQ(e.eventData2, 0xFF);
            EXPECT_EQ(e.dataUsage, 0);
            EXPECT_EQ(TextOf(e), row.text);
        }
    }
}

// Rows that take their class's own data rule.
struct SpecialRowCase {
    std::uint16_t eventClass;
    std::uint16_t eventCode;
    DataBytes data;
    SensorKind kind;
    std::uint8_t sensorNumber;
    std::uint8_t sensorType;
    std::uint8_t eventType;
    std::uint8_t offset;
    std::uint8_t deassertion;
    std::uint8_t eventData2;
    std::uint8_t data2Usage;
    std::uint8_t eventData3;
    std::uint8_t data3Usage;
    const char* text;
};

constexpr DataBytes Slot(std::uint8_t number) {
    return {0x50, 0x51, 0x52, number, 0x54, 0x55};
}

// clang-format off
const std::vector<SpecialRowCase> kSpecialRows = {
    {2, 1, {0x50, 0x51, 0x52, 2, 0x54, 70}, K::Temperature, kTemperature2, 0x01, 0x01, 9, kA, 70, 1, 0xFF, 0, "Upper Critical - going high Value: 70"},
    {9, 1, Slot(3), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 7, kD, 4, 3, 3, 3, "Interlock asserted other standard internal expansion slot, Slot/Connector Number: 3"},
    {9, 2, Slot(3), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 7, kA, 4, 3, 3, 3, "Interlock asserted other standard internal expansion slot, Slot/Connector Number: 3"},
    {9, 3, Slot(3), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 5, kD, 4, 3, 3, 3, "Slot Power is Off other standard internal expansion slot, Slot/Connector Number: 3"},
    {9, 4, Slot(3), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 5, kA, 4, 3, 3, 3, "Slot Power is Off other standard internal expansion slot, Slot/Connector Number: 3"},
    {9, 5, Slot(3), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 0, kA, 4, 3, 3, 3, "Fault Status assert other standard internal expansion slot, Slot/Connector Number: 3"},
    {9, 6, Slot(4), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 0, kA, 4, 3, 4, 3, "Fault Status assert other standard internal expansion slot, Slot/Connector Number: 4"},
    {9, 7, Slot(5), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 0, kA, 4, 3, 5, 3, "Fault Status assert other standard internal expansion slot, Slot/Connector Number: 5"},
    {9, 8, Slot(6), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 0, kA, 4, 3, 6, 3, "Fault Status assert other standard internal expansion slot, Slot/Connector Number: 6"},
    {9, 9, Slot(7), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 0, kA, 4, 3, 7, 3, "Fault Status assert other standard internal expansion slot, Slot/Connector Number: 7"},
    {17, 1, Slot(5), K::NetworkAdapters, kNetworkAdapters, 0x21, 0x6F, 0, kA, 0xFF, 0, 5, 3, "Fault Status assert, Slot/Connector Number: 5"},
    {17, 2, Slot(5), K::NetworkAdapters, kNetworkAdapters, 0x21, 0x6F, 0, kA, 0xFF, 0, 5, 3, "Fault Status assert, Slot/Connector Number: 5"},
    {17, 3, Slot(5), K::NetworkAdapters, kNetworkAdapters, 0x21, 0x6F, 0, kA, 0xFF, 0, 5, 3, "Fault Status assert, Slot/Connector Number: 5"},
    {17, 4, Slot(5), K::NetworkAdapters, kNetworkAdapters, 0x21, 0x0B, 1, kA, 0xFF, 0, 5, 3, "Redundancy Lost, Slot/Connector Number: 5"},
    {17, 5, Slot(5), K::NetworkAdapters, kNetworkAdapters, 0x21, 0x0B, 2, kA, 0xFF, 0, 5, 3, "Redundancy Degraded, Slot/Connector Number: 5"},
    {18, 1, Slot(7), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 0, kA, 10, 3, 7, 3, "Fault Status assert SCSI, Slot/Connector Number: 7"},
    {18, 3, Slot(7), K::SlotNotify, kSlotNotify, 0x21, 0x0B, 1, kA, 10, 3, 0xFF, 0, "Redundancy Lost SCSI"},
    {19, 1, Slot(7), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 0, kA, 1, 3, 7, 3, "Fault Status assert Drive Array, Slot/Connector Number: 7"},
    {19, 3, Slot(7), K::SlotNotify, kSlotNotify, 0x21, 0x6F, 0, kA, 1, 3, 7, 3, "Fault Status assert Drive Array, Slot/Connector Number: 7"},
    {19, 4, Slot(7), K::SlotNotify, kSlotNotify, 0x21, 0x0B, 1, kA, 1, 3, 0xFF, 0, "Redundancy Lost Drive Array"},
    // The text of a POST error entry starts at data byte 1; "2" is not a number of 100 or more.
    {10, 1, {0x50, '2', 0, 0x53, 0x54, 0x55}, K::PostError, kPostError, 0x0F, 0x6F, 0, kA, 0xFF, 0, 0xFF, 0, "System Firmware POST error"},
};
// clang-format on

TEST(MapEntry, EveryRowWithItsClassRuleAndStatusSixChangesNothing) {
    const SensorInventory inventory = MakeInventory();
    for (const SpecialRowCase& row : kSpecialRows) {
        for (const std::uint8_t status : {kStatusPlain, kStatusToOk}) {
            SCOPED_TRACE(Describe(row.eventClass, row.eventCode, row.data) + " status " +
                         std::to_string(status));
            SelEntry e;
            ASSERT_TRUE(MapEntry(BuildEntry(row.eventClass, row.eventCode, row.data, status),
                                 inventory, e));
            EXPECT_EQ(e.sensorKind, row.kind);
            EXPECT_EQ(e.sensorNumber, row.sensorNumber);
            EXPECT_EQ(e.sensorType, row.sensorType);
            EXPECT_EQ(e.eventType, row.eventType);
            EXPECT_EQ(e.offset, row.offset);
            EXPECT_EQ(e.deassertion, row.deassertion);
            EXPECT_EQ(e.eventData2, row.eventData2);
            EXPECT_EQ(e.EventData2Usage(), row.data2Usage);
            EXPECT_EQ(e.eventData3, row.eventData3);
            EXPECT_EQ(e.EventData3Usage(), row.data3Usage);
            EXPECT_EQ(TextOf(e), row.text);
        }
    }
}

TEST(MapEntry, EveryRowIsDroppedWhenTheInventoryLacksItsSensor) {
    const auto expectDropped = [](std::uint16_t eventClass, std::uint16_t eventCode,
                                  const DataBytes& data, SensorKind kind) {
        SCOPED_TRACE(Describe(eventClass, eventCode, data));
        SelEntry e;
        EXPECT_FALSE(MapEntry(BuildEntry(eventClass, eventCode, data), MakeInventory(kind), e));
    };
    for (const PlainRowCase& row : kPlainRows) {
        expectDropped(row.eventClass, row.eventCode, row.data, row.kind);
    }
    for (const SpecialRowCase& row : kSpecialRows) {
        expectDropped(row.eventClass, row.eventCode, row.data, row.kind);
    }
}

TEST(MapEntry, UnmappedClassesCodesAndSubKeysAreDropped) {
    struct Case {
        std::uint16_t eventClass;
        std::uint16_t eventCode;
        DataBytes data;
    };
    const std::vector<Case> cases = {
        {0, 1, kAnyBytes},
        {1, 1, kAnyBytes},
        {4, 1, kAnyBytes},  // a class without a table
        {12, 1, kAnyBytes},
        {15, 1, kAnyBytes},
        {16, 1, kAnyBytes},
        {21, 1, kAnyBytes},
        {32, 1, kAnyBytes},
        {34, 1, kAnyBytes},
        {37, 1, kAnyBytes},
        {38, 1, kAnyBytes},  // past the class table
        {0x0102, 1, kAnyBytes},
        {0xFFFF, 1, kAnyBytes},
        {2, 0, kFanBytes},
        {2, 3, kFanBytes},
        {2, 8, kFanBytes},  // past the class's codes
        {2, 0x0102, kFanBytes},
        {3, 0, kDimmBytes},
        {3, 7, kDimmBytes},
        {3, 16, kDimmBytes},
        {3, 18, kDimmBytes},
        {3, 4, Cart(4)},  // sub-key at the limit
        {3, 5, Cart(4)},
        {3, 5, Cart(255)},
        {5, 0, Cpu(1)},
        {5, 1, Cpu(0)},
        {5, 1, Cpu(2)},
        {5, 2, Cpu(6)},
        {5, 2, Cpu(8)},
        {5, 2, Cpu(13)},
        {5, 2, Cpu(19)},
        {5, 3, Cpu(7)},
        {6, 3, kAnyBytes},
        {7, 5, kAnyBytes},
        {8, 2, kAnyBytes},
        {9, 0, Slot(3)},
        {9, 10, Slot(3)},
        {10, 0, {0, '1', '7', '8', '5', 0}},
        {10, 2, {0, '1', '7', '8', '5', 0}},
        {11, 3, kPsBytes},
        {11, 7, kPsBytes},
        {11, 8, Ps(0)},
        {11, 8, Ps(6)},
        {11, 17, kPsBytes},
        {13, 4, kAnyBytes},
        {14, 0, kAnyBytes},
        {14, 5, kAnyBytes},
        {14, 7, kAnyBytes},
        {14, 2, Os(0)},
        {14, 2, Os(4)},
        {14, 2, Os(7)},
        {14, 2, Os(8)},  // above 7 and outside 128..135
        {14, 2, Os(9)},
        {14, 2, Os(127)},
        {14, 2, Os(128)},  // sub-key 8
        {14, 2, Os(136)},
        {14, 2, Os(255)},
        {17, 6, Slot(3)},
        {18, 2, Slot(3)},
        {18, 4, Slot(3)},
        {19, 2, Slot(3)},
        {19, 5, Slot(3)},
        {20, 4, kAnyBytes},
        {33, 0, kAnyBytes},
        {33, 2, kAnyBytes},
    };
    const SensorInventory inventory = MakeInventory();
    for (const Case& c : cases) {
        SCOPED_TRACE(Describe(c.eventClass, c.eventCode, c.data));
        SelEntry e;
        EXPECT_FALSE(MapEntry(BuildEntry(c.eventClass, c.eventCode, c.data), inventory, e));
    }
}

TEST(MapEntry, SensorKeysFromTheDataBytes) {
    struct Case {
        const char* what;
        std::uint16_t eventClass;
        std::uint16_t eventCode;
        DataBytes data;
        std::uint8_t key1;
        std::uint8_t key2;
    };
    SensorInventory inventory = MakeInventory();
    // Groups that hold every fan, so that any fan key finds one.
    SensorRecord allFans;
    allFans.SetName(SensorKind::FanGroup, 0xFF, 0xFF, 9);
    inventory.Append(allFans);
    SensorRecord allShared;
    allShared.SetName(SensorKind::FanSharedGroup, 0xFF, 0xFF, 9);
    inventory.Append(allShared);
    const std::vector<Case> cases = {
        {"fan", 2, 5, {0x50, 0x51, 0x52, 3, 0x54, 0x55}, 3, 255},
        {"temperature", 2, 1, {0x50, 0x51, 0x52, 2, 0x54, 70}, 2, 255},
        {"power supply", 11, 9, {0x50, 0x51, 0x52, 2, 0x54, 0x55}, 2, 255},
        {"fan group, fan 3", 2, 6, {0x50, 0x51, 0x52, 3, 0x54, 0x55}, 0x08, 0x00},
        {"fan group, fan 11", 2, 6, {0x50, 0x51, 0x52, 11, 0x54, 0x55}, 0x00, 0x08},
        {"fan group, fan 15", 2, 6, {0x50, 0x51, 0x52, 15, 0x54, 0x55}, 0x00, 0x80},
        {"fan group, no fan", 2, 6, {0x50, 0x51, 0x52, 16, 0x54, 0x55}, 255, 255},
        {"shared group, fans 3 and 9", 2, 7, {0x50, 0x51, 0x52, 3, 9, 0x55}, 0x08, 0x02},
        {"shared group, fans 0 and 15", 2, 7, {0x50, 0x51, 0x52, 0, 15, 0x55}, 0x01, 0x80},
        {"shared group, one fan twice", 2, 7, {0x50, 0x51, 0x52, 4, 4, 0x55}, 0x10, 0x00},
        {"shared group, no partner", 2, 7, {0x50, 0x51, 0x52, 3, 16, 0x55}, 0x08, 0x00},
        {"shared group, no fan", 2, 7, {0x50, 0x51, 0x52, 200, 9, 0x55}, 255, 255},
        {"cartridge DIMM", 3, 2, {2, 5, 0x52, 0x53, 0x54, 0x55}, 2, 5},
        {"cartridge PIRN", 3, 4, {2, 1, 0x52, 0x53, 0x54, 0x55}, 2, 255},
        {"cartridge", 3, 10, {2, 0x51, 0x52, 0x53, 0x54, 0x55}, 2, 255},
        {"processor: byte 1, then byte 0", 5, 2, {0, 1, 7, 0x53, 0x54, 0x55}, 1, 0},
        {"ASR", 13, 2, kAnyBytes, 255, 255},
        {"slot", 9, 1, Slot(3), 255, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SelEntry e;
        ASSERT_TRUE(MapEntry(BuildEntry(c.eventClass, c.eventCode, c.data), inventory, e));
        EXPECT_EQ(e.key1, c.key1);
        EXPECT_EQ(e.key2, c.key2);
    }
}

TEST(MapEntry, FanGroupEventsFindTheGroupHoldingTheFans) {
    SensorInventory inventory;
    SensorRecord group;
    group.SetSensorNumber(0x70);
    group.SetName(SensorKind::FanGroup, 0x0C, 0x00, 1);  // fans 2 and 3
    inventory.Append(group);
    SensorRecord shared;
    shared.SetSensorNumber(0x71);
    shared.SetName(SensorKind::FanSharedGroup, 0x08, 0x02, 2);  // fans 3 and 9
    inventory.Append(shared);

    SelEntry e;
    ASSERT_TRUE(MapEntry(BuildEntry(2, 6, {0, 0, 0, 2, 0, 0}), inventory, e));
    EXPECT_EQ(e.sensorNumber, 0x70);
    EXPECT_EQ(e.sensorLabel, "FAN GROUP 1(112.0.0)");
    EXPECT_FALSE(MapEntry(BuildEntry(2, 6, {0, 0, 0, 4, 0, 0}), inventory, e));
    ASSERT_TRUE(MapEntry(BuildEntry(2, 7, {0, 0, 0, 9, 3, 0}), inventory, e));
    EXPECT_EQ(e.sensorNumber, 0x71);
    EXPECT_FALSE(MapEntry(BuildEntry(2, 7, {0, 0, 0, 3, 2, 0}), inventory, e));
}

TEST(FindSensor, CopiesTheFirstMatchingRecordsIdentity) {
    SensorInventory inventory;
    SensorRecord other;
    other.SetName(SensorKind::Temperature, 1, kNone, kNone);
    other.SetSensorNumber(1);
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
    // Sensor number, owner LUN, owner id.
    EXPECT_EQ(e.deviceId, "33.1.65");
    EXPECT_EQ(e.sensorLabel, "TEMPERATURE 2(33.1.65)");

    e.key1 = 3;
    EXPECT_FALSE(FindSensor(inventory, e));
    EXPECT_FALSE(FindSensor(SensorInventory{}, e));
}

TEST(MapEntry, KeepsTheEntrysBytesAndRecordIdAndBuildsEventData1) {
    const SensorInventory inventory = MakeInventory();
    const std::vector<std::uint8_t> entry = BuildEntry(2, 1, {0, 0, 0, 2, 0, 70});
    SelEntry e;
    e.raw.fill(0xEE);
    ASSERT_TRUE(MapEntry(entry, inventory, e));
    EXPECT_EQ(e.recordId, 0x0102);
    EXPECT_TRUE(std::equal(entry.begin(), entry.end(), e.raw.begin()));
    EXPECT_TRUE(std::all_of(e.raw.begin() + kShortEntry, e.raw.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
    EXPECT_EQ(e.deviceId, "33.0.65");
    EXPECT_EQ(e.sensorLabel, "TEMPERATURE 2(33.0.65)");
    EXPECT_EQ(e.entityId, 0x03u);
    EXPECT_EQ(e.entityInstance, 2);
    // Usage 1 for event data 2 in bits 7..6, offset 9 in bits 3..0.
    EXPECT_EQ(e.EventData1(), 0x49);
}

TEST(MapEntry, EntriesLongerThan256BytesKeepTheirFirst256) {
    std::vector<std::uint8_t> entry = BuildEntry(33, 1, kAnyBytes, kStatusPlain, 300);
    for (std::size_t i = kShortEntry; i < entry.size(); ++i) {
        entry[i] = static_cast<std::uint8_t>(i);
    }
    SelEntry e;
    ASSERT_TRUE(MapEntry(entry, MakeInventory(), e));
    EXPECT_TRUE(std::equal(e.raw.begin(), e.raw.end(), entry.begin()));
    EXPECT_EQ(e.raw[0], 300 & 0xFF);  // the length field is kept as written
    EXPECT_EQ(e.raw[1], 300 >> 8);
}

struct PostErrorCase {
    const char* text;
    std::uint8_t eventData2;
    std::uint8_t eventData3;
};

TEST(MapEntry, PostErrorNumberFromTheText) {
    const std::vector<PostErrorCase> cases = {
        {"1785-Slot 1 Drive Array Not Configured", 17, 85},
        {"Slot 1 Drive Array 1785", 17, 85},  // a run at the end counts too
        {"162-System Options Not Set", 1, 62},
        {"12 errors", 0xFF, 0xFF},
        {"99", 0xFF, 0xFF},
        {"100", 1, 0},
        {"9999", 99, 99},
        {"10000", 0xFF, 0xFF},
        {"10000 and 250", 2, 50},
        {"123 456 200", 4, 56},  // the largest, neither the first nor the last
        {"0000345", 3, 45},
        {"No number at all", 0xFF, 0xFF},
        // A run that would wrap a 32-bit accumulator to 1785 is still too large.
        {"4294969081", 0xFF, 0xFF},
        {"99999999999999999999999999999999 207", 2, 7},
    };
    const SensorInventory inventory = MakeInventory();
    for (const PostErrorCase& c : cases) {
        SCOPED_TRACE(c.text);
        SelEntry e;
        ASSERT_TRUE(MapEntry(BuildTextEntry(c.text), inventory, e));
        EXPECT_EQ(e.sensorNumber, kPostError);
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

TEST(MapEntry, PostErrorWithoutTextKeepsTheDefaults) {
    SelEntry e;
    ASSERT_TRUE(MapEntry(BuildEntry(10, 1, {0, 0, '1', '7', '8', '5'}), MakeInventory(), e));
    EXPECT_EQ(e.eventData2, 0xFF);
    EXPECT_EQ(e.eventData3, 0xFF);
    EXPECT_EQ(e.dataUsage, 0);
}

TEST(MapEntry, PostErrorTextStopsAtTheEndOfTheEntry) {
    // No terminating zero: the text ends with the entry, here right after "1234".
    const std::string text = "Err 1234";
    std::vector<std::uint8_t> entry = BuildEntry(10, 1, kAnyBytes, kStatusPlain, 29 + text.size());
    std::copy(text.begin(), text.end(), entry.begin() + 29);
    SelEntry e;
    ASSERT_TRUE(MapEntry(entry, MakeInventory(), e));
    EXPECT_EQ(e.eventData2, 12);
    EXPECT_EQ(e.eventData3, 34);

    // The length field ends the entry before its bytes do: the digits after it are not read.
    std::vector<std::uint8_t> longer = BuildEntry(10, 1, kAnyBytes, kStatusPlain, 40, 35);
    const std::string digits = "x 123456789";
    std::copy(digits.begin(), digits.end(), longer.begin() + 29);
    ASSERT_TRUE(MapEntry(longer, MakeInventory(), e));
    EXPECT_EQ(e.eventData2, 12);  // "x 1234" of the 35 bytes
    EXPECT_EQ(e.eventData3, 34);
}

TEST(MapEntry, PostErrorTextStopsAtTheEndOfThe256ByteCopy) {
    // Letters up to offset 251, then "1785" in the last four bytes of the copy and "9" just
    // past it: read on, the run would be 17859, which is too large.
    std::vector<std::uint8_t> entry = BuildEntry(10, 1, kAnyBytes, kStatusPlain, 300);
    std::fill(entry.begin() + 29, entry.end(), 'x');
    const std::string digits = "17859";
    std::copy(digits.begin(), digits.end(), entry.begin() + 252);
    SelEntry e;
    ASSERT_TRUE(MapEntry(entry, MakeInventory(), e));
    EXPECT_EQ(e.eventData2, 17);
    EXPECT_EQ(e.eventData3, 85);
}

// The shortest entry that each kind of row maps from; every shorter one is dropped.
TEST(MapEntry, TruncatedEntriesAreDroppedWithoutReadingPastTheirEnd) {
    struct Case {
        const char* what;
        std::uint16_t eventClass;
        std::uint16_t eventCode;
        DataBytes data;
        std::size_t shortest;
    };
    const std::vector<Case> cases = {
        {"no data bytes read", 33, 1, kAnyBytes, 24},
        {"status byte read", 11, 6, kAnyBytes, 24},
        {"cartridge DIMM: data bytes 0 and 1", 3, 2, kDimmBytes, 30},
        {"sub-key in data byte 1", 3, 4, Cart(1), 30},
        {"sub-key in data byte 2", 5, 2, Cpu(7), 31},
        {"fan: data byte 3", 2, 5, kFanBytes, 32},
        {"shared fan group: data byte 4", 2, 7, kSharedBytes, 33},
        {"sub-key in data byte 4", 11, 8, Ps(5), 33},
        {"temperature trigger: data byte 5", 2, 1, {0, 0, 0, 2, 0, 70}, 34},
        {"network adapter slot: data byte 3", 17, 1, Slot(5), 32},
        {"POST error: data byte 1", 10, 1, {0, 0, 0, 0, 0, 0}, 30},
    };
    const SensorInventory inventory = MakeInventory();
    for (const Case& c : cases) {
        for (std::size_t length = 0; length <= kShortEntry; ++length) {
            SCOPED_TRACE(std::string(c.what) + ", length " + std::to_string(length));
            SelEntry e;
            const bool mapped = MapEntry(
                BuildEntry(c.eventClass, c.eventCode, c.data, kStatusToOk, length), inventory, e);
            EXPECT_EQ(mapped, length >= c.shortest);
        }
    }
}

TEST(MapEntry, TheLengthFieldAndTheBytesBothEndTheEntry) {
    const SensorInventory inventory = MakeInventory();
    SelEntry e;
    // The length field says 31: data byte 3, the fan number, lies outside the entry.
    EXPECT_FALSE(MapEntry(BuildEntry(2, 5, kFanBytes, kStatusPlain, 64, 31), inventory, e));
    EXPECT_EQ(e.raw[31], 0);  // only the entry's own bytes are kept
    EXPECT_TRUE(MapEntry(BuildEntry(2, 5, kFanBytes, kStatusPlain, 64, 32), inventory, e));
    // The length field claims more than there is: what is there is read.
    EXPECT_TRUE(MapEntry(BuildEntry(2, 5, kFanBytes, kStatusPlain, 32, 300), inventory, e));
    EXPECT_FALSE(MapEntry(BuildEntry(2, 5, kFanBytes, kStatusPlain, 31, 300), inventory, e));
    // A zero length field leaves no entry.
    EXPECT_FALSE(MapEntry(BuildEntry(33, 1, kAnyBytes, kStatusPlain, 34, 0), inventory, e));
}

}  // namespace
}  // namespace norv
