#include "eventlog/mapping_tables.h"

#include <array>

namespace norv {

namespace {

using enum SensorKind;

constexpr EventDirection kAssert = EventDirection::Assertion;
constexpr EventDirection kDeassert = EventDirection::Deassertion;
constexpr EventDataRule kDefaults = EventDataRule::Defaults;
constexpr EventDataRule kClassRule = EventDataRule::ClassRule;
constexpr EventDataRule kOkSeverity = EventDataRule::OkSeverity;

constexpr MappingRow kNone{};

constexpr MappingRow Row(SensorKind kind, std::uint8_t sensorType, std::uint8_t eventType,
                         std::uint8_t offset, EventDirection direction, EventDataRule rule) {
    return {kind, nullptr, sensorType, eventType, offset, direction, rule};
}

constexpr MappingRow BySubKey(const SubTable& table) {
    MappingRow row;
    row.subTable = &table;
    return row;
}

// Each table below is indexed by event code (or sub-key); the number in front of a row is
// its index. Columns: sensor kind, sensor type, event type, offset, direction, data rule.

// Class 3, codes 4 and 5: by data byte 1, limit 4.
constexpr auto kClass3Code4Rows = std::to_array<MappingRow>({
    /* 0 */ Row(CartridgePirn, 0x21, 0x6F, 2, kDeassert, kOkSeverity),
    /* 1 */ Row(CartridgePirn, 0x21, 0x6F, 2, kAssert, kOkSeverity),
    /* 2 */ Row(CartridgePirn, 0x21, 0x6F, 7, kDeassert, kOkSeverity),
    /* 3 */ Row(CartridgePirn, 0x21, 0x6F, 7, kAssert, kOkSeverity),
});
static_assert(kClass3Code4Rows.size() == 4);
constexpr SubTable kClass3Code4{1, SubKeyRule::DataByte, kClass3Code4Rows};

constexpr auto kClass3Code5Rows = std::to_array<MappingRow>({
    /* 0 */ Row(CartridgePirn, 0x21, 0x6F, 0, kAssert, kOkSeverity),
    /* 1 */ Row(CartridgePirn, 0x21, 0x6F, 0, kAssert, kOkSeverity),
    /* 2 */ Row(Cartridge, 0x0C, 0x0B, 1, kAssert, kOkSeverity),
    /* 3 */ Row(Cartridge, 0x0C, 0x0A, 3, kAssert, kOkSeverity),
});
static_assert(kClass3Code5Rows.size() == 4);
constexpr SubTable kClass3Code5{1, SubKeyRule::DataByte, kClass3Code5Rows};

// Class 5, code 1: by data byte 2, limit 2.
constexpr auto kClass5Code1Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(Cpu, 0x07, 0x0A, 6, kAssert, kDefaults),
});
static_assert(kClass5Code1Rows.size() == 2);
constexpr SubTable kClass5Code1{2, SubKeyRule::DataByte, kClass5Code1Rows};

// Class 5, code 2: by data byte 2, limit 19.
constexpr auto kClass5Code2Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ kNone,
    /* 2 */ kNone,
    /* 3 */ kNone,
    /* 4 */ kNone,
    /* 5 */ kNone,
    /* 6 */ kNone,
    /* 7 */ Row(Cpu, 0x07, 0x6F, 0, kAssert, kDefaults),
    /* 8 */ kNone,
    /* 9 */ kNone,
    /* 10 */ kNone,
    /* 11 */ kNone,
    /* 12 */ kNone,
    /* 13 */ kNone,
    /* 14 */ Row(Cpu, 0x07, 0x6F, 0, kAssert, kDefaults),
    /* 15 */ Row(Cpu, 0x07, 0x6F, 0, kAssert, kDefaults),
    /* 16 */ Row(Cpu, 0x07, 0x6F, 0, kAssert, kDefaults),
    /* 17 */ Row(Cpu, 0x07, 0x6F, 0, kAssert, kDefaults),
    /* 18 */ Row(Cpu, 0x07, 0x6F, 0, kAssert, kDefaults),
});
static_assert(kClass5Code2Rows.size() == 19);
constexpr SubTable kClass5Code2{2, SubKeyRule::DataByte, kClass5Code2Rows};

// Class 11, code 8: by data byte 4, limit 6.
constexpr auto kClass11Code8Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(PowerSupply, 0x08, 0x6F, 5, kAssert, kOkSeverity),
    /* 2 */ Row(PowerSupply, 0x08, 0x6F, 4, kAssert, kOkSeverity),
    /* 3 */ Row(PowerSupply, 0x08, 0x6F, 5, kAssert, kOkSeverity),
    /* 4 */ Row(PowerSupply, 0x08, 0x6F, 4, kAssert, kOkSeverity),
    /* 5 */ Row(PowerSupply, 0x08, 0x6F, 3, kAssert, kOkSeverity),
});
static_assert(kClass11Code8Rows.size() == 6);
constexpr SubTable kClass11Code8{4, SubKeyRule::DataByte, kClass11Code8Rows};

// Class 14, code 2: by data byte 0 with 128..135 read as 8..15, limit 16.
constexpr auto kClass14Code2Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(OsStop, 0x20, 0x6F, 4, kAssert, kDefaults),
    /* 2 */ Row(OsStop, 0x20, 0x6F, 4, kAssert, kDefaults),
    /* 3 */ Row(OsStop, 0x20, 0x6F, 4, kAssert, kDefaults),
    /* 4 */ kNone,
    /* 5 */ kNone,
    /* 6 */ kNone,
    /* 7 */ kNone,
    /* 8 */ kNone,
    /* 9 */ Row(OsStop, 0x20, 0x6F, 4, kDeassert, kDefaults),
    /* 10 */ Row(OsStop, 0x20, 0x6F, 4, kDeassert, kDefaults),
    /* 11 */ Row(OsStop, 0x20, 0x6F, 4, kDeassert, kDefaults),
    /* 12 */ Row(OsStop, 0x20, 0x6F, 4, kDeassert, kDefaults),
    /* 13 */ Row(OsStop, 0x20, 0x6F, 4, kAssert, kDefaults),
    /* 14 */ Row(OsStop, 0x20, 0x6F, 5, kAssert, kDefaults),
    /* 15 */ Row(OsStop, 0x20, 0x6F, 5, kAssert, kDefaults),
});
static_assert(kClass14Code2Rows.size() == 16);
constexpr SubTable kClass14Code2{0, SubKeyRule::DataByteWithHighRange, kClass14Code2Rows};

// Class 2: fans and temperatures.
constexpr auto kClass2Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(Temperature, 0x01, 0x01, 9, kAssert, kClassRule),
    /* 2 */ Row(Fan, 0x04, 0x0A, 6, kAssert, kOkSeverity),
    /* 3 */ kNone,
    /* 4 */ Row(Fan, 0x04, 0x08, 0, kAssert, kOkSeverity),
    /* 5 */ Row(Fan, 0x04, 0x08, 1, kAssert, kDefaults),
    /* 6 */ Row(FanGroup, 0x04, 0x0B, 1, kAssert, kDefaults),
    /* 7 */ Row(FanSharedGroup, 0x04, 0x0B, 1, kAssert, kDefaults),
});

// Class 3: memory.
constexpr auto kClass3Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(CartridgeDimm, 0x0C, 0x6F, 5, kAssert, kOkSeverity),
    /* 2 */ Row(CartridgeDimm, 0x0C, 0x6F, 1, kAssert, kOkSeverity),
    /* 3 */ Row(AdvancedMemoryProtection, 0x0C, 0x6F, 1, kAssert, kDefaults),
    /* 4 */ BySubKey(kClass3Code4),
    /* 5 */ BySubKey(kClass3Code5),
    /* 6 */ Row(CartridgeDimm, 0x0C, 0x6F, 7, kAssert, kOkSeverity),
    /* 7 */ kNone,
    /* 8 */ Row(CartridgeDimm, 0x0C, 0x6F, 4, kAssert, kOkSeverity),
    /* 9 */ Row(CartridgeDimm, 0x0C, 0x6F, 4, kAssert, kOkSeverity),
    /* 10 */ Row(Cartridge, 0x0C, 0x6F, 5, kAssert, kOkSeverity),
    /* 11 */ Row(Cartridge, 0x0C, 0x0B, 2, kAssert, kOkSeverity),
    /* 12 */ Row(Cartridge, 0x0C, 0x0B, 2, kAssert, kOkSeverity),
    /* 13 */ Row(AdvancedMemoryProtection, 0x0C, 0x0B, 1, kAssert, kOkSeverity),
    /* 14 */ Row(AdvancedMemoryProtection, 0x0C, 0x6F, 8, kDeassert, kOkSeverity),
    /* 15 */ Row(AdvancedMemoryProtection, 0x0C, 0x0B, 1, kAssert, kOkSeverity),
    /* 16 */ kNone,
    /* 17 */ Row(Cartridge, 0x0C, 0x0A, 6, kAssert, kOkSeverity),
});

// Class 5: processors.
constexpr auto kClass5Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ BySubKey(kClass5Code1),
    /* 2 */ BySubKey(kClass5Code2),
});

// Classes 6, 7, 8 and 20: interrupts.
constexpr auto kClass6Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(Nmi, 0x13, 0x6F, 8, kAssert, kDefaults),
    /* 2 */ Row(Nmi, 0x13, 0x6F, 8, kAssert, kDefaults),
});

constexpr auto kClass7Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(Nmi, 0x13, 0x6F, 6, kAssert, kDefaults),
    /* 2 */ Row(Nmi, 0x13, 0x6F, 6, kAssert, kDefaults),
    /* 3 */ Row(Nmi, 0x13, 0x6F, 2, kAssert, kDefaults),
    /* 4 */ Row(Nmi, 0x13, 0x6F, 8, kAssert, kDefaults),
});

constexpr auto kClass8Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(Nmi, 0x13, 0x6F, 5, kAssert, kDefaults),
});

constexpr auto kClass20Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(Nmi, 0x13, 0x6F, 9, kAssert, kDefaults),
    /* 2 */ Row(Nmi, 0x13, 0x6F, 9, kAssert, kDefaults),
    /* 3 */ Row(Nmi, 0x13, 0x6F, 9, kAssert, kDefaults),
});

// Class 9: slot hot-plug.
constexpr auto kClass9Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(SlotNotify, 0x21, 0x6F, 7, kDeassert, kClassRule),
    /* 2 */ Row(SlotNotify, 0x21, 0x6F, 7, kAssert, kClassRule),
    /* 3 */ Row(SlotNotify, 0x21, 0x6F, 5, kDeassert, kClassRule),
    /* 4 */ Row(SlotNotify, 0x21, 0x6F, 5, kAssert, kClassRule),
    /* 5 */ Row(SlotNotify, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 6 */ Row(SlotNotify, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 7 */ Row(SlotNotify, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 8 */ Row(SlotNotify, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 9 */ Row(SlotNotify, 0x21, 0x6F, 0, kAssert, kClassRule),
});

// Class 10: firmware POST errors.
constexpr auto kClass10Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(PostError, 0x0F, 0x6F, 0, kAssert, kClassRule),
});

// Class 11: power.
constexpr auto kClass11Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(PowerSupply, 0x08, 0x6F, 1, kAssert, kOkSeverity),
    /* 2 */ Row(Rtc, 0x29, 0x6F, 0, kAssert, kOkSeverity),
    /* 3 */ kNone,
    /* 4 */ Row(PowerSupply, 0x08, 0x08, 0, kAssert, kDefaults),
    /* 5 */ Row(PowerSupply, 0x08, 0x08, 1, kAssert, kDefaults),
    /* 6 */ Row(PowerSubsystem, 0x08, 0x0B, 1, kAssert, kOkSeverity),
    /* 7 */ kNone,
    /* 8 */ BySubKey(kClass11Code8),
    /* 9 */ Row(PowerSupply, 0x08, 0x6F, 2, kAssert, kDefaults),
    /* 10 */ Row(PowerSupply, 0x08, 0x0A, 3, kAssert, kDefaults),
    /* 11 */ Row(PowerSupply, 0x08, 0x0A, 2, kAssert, kDefaults),
    /* 12 */ Row(PowerSupply, 0x08, 0x6F, 1, kAssert, kOkSeverity),
    /* 13 */ Row(PowerSupply, 0x08, 0x08, 0, kAssert, kDefaults),
    /* 14 */ Row(PowerSupply, 0x08, 0x08, 1, kAssert, kDefaults),
    /* 15 */ Row(PowerSubsystem, 0x08, 0x0B, 1, kAssert, kOkSeverity),
    /* 16 */ Row(PowerSupply, 0x08, 0x6F, 2, kAssert, kDefaults),
});

// Class 13: automatic server recovery.
constexpr auto kClass13Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(Asr, 0x23, 0x6F, 3, kAssert, kDefaults),
    /* 2 */ Row(Asr, 0x23, 0x6F, 0, kAssert, kDefaults),
    /* 3 */ Row(Asr, 0x23, 0x05, 1, kAssert, kDefaults),
});

// Class 14: operating system stops and interrupts.
constexpr auto kClass14Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(OsStop, 0x20, 0x6F, 1, kAssert, kDefaults),
    /* 2 */ BySubKey(kClass14Code2),
    /* 3 */ Row(OsStop, 0x20, 0x6F, 1, kAssert, kDefaults),
    /* 4 */ Row(Nmi, 0x13, 0x6F, 0, kAssert, kDefaults),
    /* 5 */ kNone,
    /* 6 */ Row(Nmi, 0x13, 0x6F, 3, kAssert, kDefaults),
});

// Class 17: network adapters.
constexpr auto kClass17Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(NetworkAdapters, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 2 */ Row(NetworkAdapters, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 3 */ Row(NetworkAdapters, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 4 */ Row(NetworkAdapters, 0x21, 0x0B, 1, kAssert, kClassRule),
    /* 5 */ Row(NetworkAdapters, 0x21, 0x0B, 2, kAssert, kClassRule),
});

// Classes 18 and 19: slots.
constexpr auto kClass18Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(SlotNotify, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 2 */ kNone,
    /* 3 */ Row(SlotNotify, 0x21, 0x0B, 1, kAssert, kClassRule),
});

constexpr auto kClass19Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(SlotNotify, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 2 */ kNone,
    /* 3 */ Row(SlotNotify, 0x21, 0x6F, 0, kAssert, kClassRule),
    /* 4 */ Row(SlotNotify, 0x21, 0x0B, 1, kAssert, kClassRule),
});

// Class 33: the log itself.
constexpr auto kClass33Rows = std::to_array<MappingRow>({
    /* 0 */ kNone,
    /* 1 */ Row(LogMaintenance, 0x10, 0x6F, 2, kAssert, kDefaults),
});

constexpr std::span<const MappingRow> kNoRows{};

// By event class; a class without rows is not mapped.
constexpr std::array<std::span<const MappingRow>, kEventClassCount> kClassTables = {
    /* 0 */ kNoRows,
    /* 1 */ kNoRows,
    /* 2 */ kClass2Rows,
    /* 3 */ kClass3Rows,
    /* 4 */ kNoRows,
    /* 5 */ kClass5Rows,
    /* 6 */ kClass6Rows,
    /* 7 */ kClass7Rows,
    /* 8 */ kClass8Rows,
    /* 9 */ kClass9Rows,
    /* 10 */ kClass10Rows,
    /* 11 */ kClass11Rows,
    /* 12 */ kNoRows,
    /* 13 */ kClass13Rows,
    /* 14 */ kClass14Rows,
    /* 15 */ kNoRows,
    /* 16 */ kNoRows,
    /* 17 */ kClass17Rows,
    /* 18 */ kClass18Rows,
    /* 19 */ kClass19Rows,
    /* 20 */ kClass20Rows,
    /* 21 */ kNoRows,
    /* 22 */ kNoRows,
    /* 23 */ kNoRows,
    /* 24 */ kNoRows,
    /* 25 */ kNoRows,
    /* 26 */ kNoRows,
    /* 27 */ kNoRows,
    /* 28 */ kNoRows,
    /* 29 */ kNoRows,
    /* 30 */ kNoRows,
    /* 31 */ kNoRows,
    /* 32 */ kNoRows,
    /* 33 */ kClass33Rows,
    /* 34 */ kNoRows,
    /* 35 */ kNoRows,
    /* 36 */ kNoRows,
    /* 37 */ kNoRows,
};

// Every mapped row names a known kind and an offset that fits event data 1's four bits,
// and every sub-table has rows.
constexpr bool RowsAreWellFormed(std::span<const MappingRow> rows) {
    for (const MappingRow& row : rows) {
        if (row.subTable != nullptr) {
            if (row.subTable->rows.empty() || !RowsAreWellFormed(row.subTable->rows)) {
                return false;
            }
        } else if (row.sensorKind != kUnmappedKind &&
                   (KindIndex(row.sensorKind) >= kSensorKindCount || row.offset > 0x0F ||
                    row.eventType > 0x7F)) {
            return false;
        }
    }
    return true;
}

constexpr bool TablesAreWellFormed() {
    for (const std::span<const MappingRow>& rows : kClassTables) {
        if (!RowsAreWellFormed(rows)) {
            return false;
        }
    }
    return true;
}
static_assert(TablesAreWellFormed());

}  // namespace

const MappingRow* FindMappingRow(std::uint32_t eventClass, std::uint32_t eventCode) {
    if (eventClass >= kClassTables.size()) {
        return nullptr;
    }
    const std::span<const MappingRow> rows = kClassTables[eventClass];
    if (eventCode >= rows.size()) {
        return nullptr;
    }
    return &rows[eventCode];
}

}  // namespace norv
