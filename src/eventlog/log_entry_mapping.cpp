#include "eventlog/log_entry_mapping.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "eventlog/event_text.h"
#include "eventlog/log_entry.h"
#include "eventlog/mapping_tables.h"
#include "eventlog/text_digits.h"

namespace norv {

namespace {

// Fans are numbered 0..15 within a group's 16-bit member mask.
constexpr std::uint8_t kFanMaskBits = 16;

// The class whose entries carry a POST error text, and where the text starts.
constexpr std::uint32_t kPostErrorClass = 10;
constexpr std::size_t kPostErrorTextByte = 1;
// A POST error number is below this; event data 2 and 3 carry its hundreds and the rest.
constexpr std::uint32_t kPostErrorNumberLimit = 10000;
constexpr std::uint32_t kPostErrorNumberMin = 100;

// Severity 0 of the severity list: "Transition to OK".
constexpr std::uint8_t kSeverityTransitionToOk = 0;

// Slot/connector types that the slot classes report in event data 2.
constexpr std::uint8_t kSlotTypeDriveArray = 1;
constexpr std::uint8_t kSlotTypeOtherInternal = 4;
constexpr std::uint8_t kSlotTypeScsi = 10;

constexpr std::uint8_t kUnused = kDataUnused;
constexpr std::uint8_t kTrigger = kDataStateOrThreshold;
constexpr std::uint8_t kOem = kDataOemCode;
constexpr std::uint8_t kSpecific = kDataSensorSpecific;

// Event data 2 or 3 as a class's own rule fills it.
struct EventDataSource {
    enum class From : std::uint8_t { Default, Constant, DataByte };
    From from = From::Default;
    std::uint8_t value = 0;  // the constant, or the index of the data byte
    std::uint8_t usage = kUnused;
};

constexpr EventDataSource kDefault{};

constexpr EventDataSource Constant(std::uint8_t value, std::uint8_t usage) {
    return {EventDataSource::From::Constant, value, usage};
}

constexpr EventDataSource FromDataByte(std::uint8_t index, std::uint8_t usage) {
    return {EventDataSource::From::DataByte, index, usage};
}

constexpr std::uint32_t kAnyCode = 0xFFFFFFFF;

struct ClassDataRule {
    std::uint32_t eventClass;
    std::uint32_t eventCode;
    EventDataSource data2;
    EventDataSource data3;
};

// The data rules of the classes whose rows take their class's rule, except class 10 (the
// POST error number, read from the entry's text). A code not listed keeps the defaults.
constexpr auto kClassDataRules = std::to_array<ClassDataRule>({
    // class, code, event data 2, event data 3
    {2, 1, FromDataByte(5, kTrigger), kDefault},
    {9, kAnyCode, Constant(kSlotTypeOtherInternal, kSpecific), FromDataByte(3, kSpecific)},
    {17, kAnyCode, kDefault, FromDataByte(3, kSpecific)},
    {18, 1, Constant(kSlotTypeScsi, kSpecific), FromDataByte(3, kSpecific)},
    {18, 3, Constant(kSlotTypeScsi, kSpecific), kDefault},
    {19, 1, Constant(kSlotTypeDriveArray, kSpecific), FromDataByte(3, kSpecific)},
    {19, 3, Constant(kSlotTypeDriveArray, kSpecific), FromDataByte(3, kSpecific)},
    {19, 4, Constant(kSlotTypeDriveArray, kSpecific), kDefault},
});

struct SensorKey {
    std::uint8_t key1 = kNoNumber;
    std::uint8_t key2 = kNoNumber;
};

SensorKey MaskKey(std::uint16_t mask) {
    return {static_cast<std::uint8_t>(mask & 0xFF), static_cast<std::uint8_t>(mask >> 8)};
}

// The key of the sensor an entry names; nothing when the entry ends before a data byte the
// key is made of.
std::optional<SensorKey> SensorKeyOf(SensorKind kind, const LogEntry& entry) {
    switch (kind) {
        case SensorKind::Fan:
        case SensorKind::Temperature:
        case SensorKind::PowerSupply: {
            const std::optional<std::uint8_t> number = entry.DataByte(3);
            if (!number) return std::nullopt;
            return SensorKey{*number, kNoNumber};
        }
        case SensorKind::FanGroup: {
            const std::optional<std::uint8_t> fan = entry.DataByte(3);
            if (!fan) return std::nullopt;
            if (*fan >= kFanMaskBits) return SensorKey{};
            return MaskKey(static_cast<std::uint16_t>(1u << *fan));
        }
        case SensorKind::FanSharedGroup: {
            const std::optional<std::uint8_t> fan = entry.DataByte(3);
            if (!fan) return std::nullopt;
            if (*fan >= kFanMaskBits) return SensorKey{};
            const std::optional<std::uint8_t> partner = entry.DataByte(4);
            if (!partner) return std::nullopt;
            std::uint32_t mask = 1u << *fan;
            if (*partner < kFanMaskBits) mask |= 1u << *partner;
            return MaskKey(static_cast<std::uint16_t>(mask));
        }
        case SensorKind::CartridgeDimm: {
            const std::optional<std::uint8_t> cartridge = entry.DataByte(0);
            const std::optional<std::uint8_t> dimm = entry.DataByte(1);
            if (!cartridge || !dimm) return std::nullopt;
            return SensorKey{*cartridge, *dimm};
        }
        case SensorKind::CartridgePirn:
        case SensorKind::Cartridge: {
            const std::optional<std::uint8_t> cartridge = entry.DataByte(0);
            if (!cartridge) return std::nullopt;
            return SensorKey{*cartridge, kNoNumber};
        }
        case SensorKind::Cpu: {
            const std::optional<std::uint8_t> slot = entry.DataByte(1);
            const std::optional<std::uint8_t> socket = entry.DataByte(0);
            if (!slot || !socket) return std::nullopt;
            return SensorKey{*slot, *socket};
        }
        default:
            return SensorKey{};
    }
}

// The sub-row a data byte selects; nothing when the byte is absent, out of range or selects
// an unmapped sub-row.
const MappingRow* SelectSubRow(const SubTable& table, const LogEntry& entry) {
    const std::optional<std::uint8_t> value = entry.DataByte(table.dataByte);
    if (!value) return nullptr;
    std::size_t subKey = *value;
    if (table.rule == SubKeyRule::DataByteWithHighRange) {
        constexpr std::size_t kHighRangeFirst = 128;
        constexpr std::size_t kHighRangeLast = 135;
        constexpr std::size_t kHighRangeSubKey = 8;
        constexpr std::size_t kLowRangeLast = 7;
        if (subKey >= kHighRangeFirst && subKey <= kHighRangeLast) {
            subKey = subKey - kHighRangeFirst + kHighRangeSubKey;
        } else if (subKey > kLowRangeLast) {
            return nullptr;
        }
    }
    if (subKey >= table.rows.size()) return nullptr;
    return &table.rows[subKey];
}

// The leaf row of the entry's class and code; nothing when it is not mapped.
const MappingRow* SelectRow(const LogEntryHeader& header, const LogEntry& entry) {
    const MappingRow* row = FindMappingRow(header.eventClass, header.eventCode);
    if (row == nullptr) return nullptr;
    if (row->subTable != nullptr) {
        row = SelectSubRow(*row->subTable, entry);
        if (row == nullptr || row->subTable != nullptr) return nullptr;
    }
    return row->sensorKind == kUnmappedKind ? nullptr : row;
}

// Runs of decimal digits are read as numbers; the largest below 10000 wins, 0 when none is.
std::uint32_t LargestPostErrorNumber(std::span<const std::uint8_t> text) {
    std::uint32_t largest = 0;
    // A run held at the limit stays there however long it grows, so it never wraps around.
    std::uint32_t run = 0;
    const auto endRun = [&] {
        if (run < kPostErrorNumberLimit && run > largest) largest = run;
        run = 0;
    };
    for (const std::uint8_t character : text) {
        if (character >= '0' && character <= '9') {
            run = std::min(run * 10 + (character - '0'), kPostErrorNumberLimit);
        } else {
            endRun();
        }
    }
    endRun();
    return largest;
}

bool ApplyPostErrorRule(const LogEntry& entry, SelEntry& selEntry) {
    const std::optional<std::uint8_t> first = entry.DataByte(kPostErrorTextByte);
    if (!first) return false;
    if (*first == 0) return true;  // no text
    const std::uint32_t number =
        LargestPostErrorNumber(entry.DataText(kPostErrorTextByte, kMaxPostErrorTextLength));
    if (number >= kPostErrorNumberMin) {
        selEntry.SetEventData2(static_cast<std::uint8_t>(number / 100), kOem);
        selEntry.SetEventData3(static_cast<std::uint8_t>(number % 100), kOem);
    }
    return true;
}

// The value a source gives; nothing when its data byte lies past the entry's end.
std::optional<std::uint8_t> SourceValue(const EventDataSource& source, const LogEntry& entry) {
    switch (source.from) {
        case EventDataSource::From::Constant:
            return source.value;
        case EventDataSource::From::DataByte:
            return entry.DataByte(source.value);
        default:
            return kEventDataUnspecified;
    }
}

bool ApplyClassRule(const LogEntryHeader& header, const LogEntry& entry, SelEntry& selEntry) {
    if (header.eventClass == kPostErrorClass) {
        return ApplyPostErrorRule(entry, selEntry);
    }
    for (const ClassDataRule& rule : kClassDataRules) {
        if (rule.eventClass != header.eventClass ||
            (rule.eventCode != kAnyCode && rule.eventCode != header.eventCode)) {
            continue;
        }
        const std::optional<std::uint8_t> data2 = SourceValue(rule.data2, entry);
        const std::optional<std::uint8_t> data3 = SourceValue(rule.data3, entry);
        if (!data2 || !data3) return false;
        selEntry.SetEventData2(*data2, rule.data2.usage);
        selEntry.SetEventData3(*data3, rule.data3.usage);
        return true;
    }
    return true;
}

// Keeps the previous state of event data 2 (unspecified) and gives it severity 0.
void SetTransitionToOkSeverity(SelEntry& selEntry) {
    const auto data2 =
        static_cast<std::uint8_t>((selEntry.eventData2 & 0x0F) | (kSeverityTransitionToOk << 4));
    selEntry.SetEventData2(data2, kTrigger);
}

}  // namespace

bool FindSensor(const SensorSearch& search, SelEntry& selEntry) {
    const SensorRecord* record = search.Find(selEntry.sensorKind, selEntry.key1, selEntry.key2);
    if (record == nullptr) return false;
    selEntry.ownerId = record->OwnerId();
    selEntry.ownerLun = record->OwnerLun();
    selEntry.sensorNumber = record->SensorNumber();
    selEntry.entityId = record->EntityId();
    selEntry.entityInstance = record->EntityInstance();
    // Both texts are written into one buffer and each is stored in one step: a name holds at
    // most kMaxElementNameLength characters and a device id three numbers of three digits.
    constexpr std::size_t kDeviceIdMax = 3 * 3 + 2;
    char texts[kMaxElementNameLength + kDeviceIdMax + 2];
    const std::string& name = record->Name();
    const std::size_t nameLength = std::min(name.size(), kMaxElementNameLength);
    char* out = std::copy_n(name.data(), nameLength, texts);
    *out++ = '(';
    char* const deviceId = out;
    out = WriteDecimal(out, selEntry.sensorNumber);
    *out++ = '.';
    out = WriteDecimal(out, selEntry.ownerLun);
    *out++ = '.';
    out = WriteDecimal(out, selEntry.ownerId);
    selEntry.deviceId = std::string(deviceId, out);
    *out++ = ')';
    selEntry.sensorLabel = std::string(texts, out);
    return true;
}

bool FindSensor(const SensorInventory& inventory, SelEntry& selEntry) {
    return FindSensor(SensorSearch(inventory), selEntry);
}

bool MapEntry(std::span<const std::uint8_t> entryBytes, const SensorInventory& inventory,
              SelEntry& selEntry) {
    return MapEntry(entryBytes, SensorSearch(inventory), selEntry);
}

bool MapEntry(std::span<const std::uint8_t> entryBytes, const SensorSearch& search,
              SelEntry& selEntry) {
    selEntry = SelEntry{};
    const std::span<const std::uint8_t> whole = LogEntry(entryBytes).Bytes();
    const std::size_t copied = std::min(whole.size(), selEntry.raw.size());
    std::copy_n(whole.begin(), copied, selEntry.raw.begin());

    // From here on only the copy is read, so its end bounds every read as well.
    const LogEntry entry(std::span<const std::uint8_t>(selEntry.raw).first(copied));
    const std::optional<LogEntryHeader> header = entry.Header();
    if (!header) return false;
    selEntry.recordId = header->number;

    const MappingRow* row = SelectRow(*header, entry);
    if (row == nullptr) return false;

    const std::optional<SensorKey> key = SensorKeyOf(row->sensorKind, entry);
    if (!key) return false;
    selEntry.sensorKind = row->sensorKind;
    selEntry.key1 = key->key1;
    selEntry.key2 = key->key2;
    if (!FindSensor(search, selEntry)) return false;

    selEntry.sensorType = row->sensorType;
    selEntry.deassertion = row->direction == EventDirection::Deassertion ? 1 : 0;
    selEntry.eventType = row->eventType;
    selEntry.offset = row->offset;
    selEntry.SetEventData2(kEventDataUnspecified, kUnused);
    selEntry.SetEventData3(kEventDataUnspecified, kUnused);

    switch (row->dataRule) {
        case EventDataRule::ClassRule:
            return ApplyClassRule(*header, entry, selEntry);
        case EventDataRule::OkSeverity:
            if (header->status == kEntryStatusTransitionToOk) SetTransitionToOkSeverity(selEntry);
            return true;
        default:
            return true;
    }
}

}  // namespace norv
