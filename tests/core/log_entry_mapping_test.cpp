#include "eventlog/log_entry_mapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "eventlog/event_text.h"
#include "eventlog/mapping_tables.h"
#include "log_area_builder.h"
#include "support/case_file.h"

namespace norv {
namespace {

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

// The inventory the rows are mapped against: the "@sensor" lines of log_entries.txt, KIND
// NUMBER1 NUMBER2 NUMBER3 SENSOR-NUMBER OWNER ENTITY INSTANCE [LUN]. Decoys with a near-miss
// key come before the sensor an event names, so a key formed from the wrong bytes finds the
// wrong number. No record is present: the event log finds hidden sensors too.
SensorInventory MakeInventory(std::optional<SensorKind> without = std::nullopt) {
    SensorInventory inventory;
    std::istringstream lines(test::ReadCaseFile("log_entries.txt"));
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("@sensor ")) continue;
        std::istringstream in = test::CaseInput(line.substr(8));
        unsigned kind = 0, key1 = 0, key2 = 0, key3 = 0, number = 0, owner = 0, entity = 0,
                 instance = 0, lun = 0;
        in >> kind >> key1 >> key2 >> key3 >> number >> owner >> entity >> instance >> lun;
        if (static_cast<SensorKind>(kind) == without) continue;
        SensorRecord record;
        record.SetOwnerId(owner);
        record.SetOwnerLun(lun);
        record.SetSensorNumber(number);
        record.SetEntityId(entity);
        record.SetEntityInstance(instance);
        record.SetName(static_cast<SensorKind>(kind), static_cast<std::uint8_t>(key1),
                       static_cast<std::uint8_t>(key2), static_cast<std::uint8_t>(key3));
        inventory.Append(record);
    }
    // Groups that hold every fan, so that any fan key finds one.
    for (const SensorKind kind : {SensorKind::FanGroup, SensorKind::FanSharedGroup}) {
        SensorRecord all;
        all.SetName(kind, 0xFF, 0xFF, 9);
        if (kind != without) inventory.Append(all);
    }
    inventory.SetValid(true);
    return inventory;
}

std::string TextOf(const SelEntry& e) {
    return EventText(e.eventType, e.sensorType, e.dataUsage, e.offset, e.eventData2, e.eventData3);
}

// What an entry maps to, in one line (tests/data/core/log_entries.txt says how).
std::string Mapped(const std::vector<std::uint8_t>& entry, const SensorInventory& inventory) {
    SelEntry e;
    if (!MapEntry(entry, inventory, e)) return "dropped";
    EXPECT_EQ(e.recordId, 0x0102);
    SelEntry without;
    EXPECT_FALSE(MapEntry(entry, MakeInventory(e.sensorKind), without)) << "without its sensor";
    char text[192];
    std::snprintf(text, sizeof text,
                  "kind %u sensor %s entity %02X.%u type %02X/%02X offset %u %s data2 %02X/%u "
                  "data3 %02X/%u keys %02X/%02X: ",
                  static_cast<unsigned>(KindIndex(e.sensorKind)), e.sensorLabel.c_str(),
                  unsigned{e.entityId}, unsigned{e.entityInstance}, unsigned{e.sensorType},
                  unsigned{e.eventType}, unsigned{e.offset},
                  e.deassertion == 0   ? "assert"
                  : e.deassertion == 1 ? "deassert"
                                       : "other",
                  unsigned{e.eventData2}, unsigned{e.EventData2Usage()}, unsigned{e.eventData3},
                  unsigned{e.EventData3Usage()}, unsigned{e.key1}, unsigned{e.key2});
    return text + TextOf(e);
}

// The answer to a line of tests/data/core/log_entries.txt.
std::string MappedCase(const std::string& input) {
    std::istringstream in(input);
    unsigned eventClass = 0, eventCode = 0;
    char dot = 0;
    in >> eventClass >> dot >> eventCode;
    std::string word;
    in >> word;
    // A class-10 text from data byte 1 on with a terminating zero, or at AT in an entry of
    // LENGTH bytes (and length field DECLARED), 'x' around it.
    if (word.starts_with("text")) {
        std::string text;
        std::getline(in >> std::ws, text);
        std::size_t at = 29, length = 0, declared = 0xFFFF;
        std::sscanf(word.c_str(), "text@%zu", &at);
        std::sscanf(word.c_str() + std::min(word.find('/'), word.size()), "/%zu/%zu", &length,
                    &declared);
        std::vector<std::uint8_t> entry =
            Entry(10, 1, {}, kStatusPlain, length != 0 ? length : 29 + text.size() + 1,
                  static_cast<std::uint16_t>(declared));
        if (length != 0) std::fill(entry.begin() + 29, entry.end(), 'x');
        std::copy(text.begin(), text.end(), entry.begin() + static_cast<std::ptrdiff_t>(at));
        return Mapped(entry, MakeInventory());
    }
    DataBytes data{};
    for (std::uint8_t& byte : data) {
        byte = static_cast<std::uint8_t>(std::stoul(word, nullptr, 16));
        word.clear();
        in >> word;
    }
    const auto cls = static_cast<std::uint16_t>(eventClass);
    const auto code = static_cast<std::uint16_t>(eventCode);
    const SensorInventory inventory = MakeInventory();
    if (word == "length") {  // LENGTH/DECLARED: the entry's bytes and its length field
        std::size_t length = 0, declared = 0;
        in >> word;
        std::sscanf(word.c_str(), "%zu/%zu", &length, &declared);
        return Mapped(
            Entry(cls, code, data, kStatusPlain, length, static_cast<std::uint16_t>(declared)),
            inventory);
    }
    if (word == "lengths") {
        std::string lengths;
        for (std::size_t length = 0; length <= kShortEntry; ++length) {
            SelEntry e;
            if (MapEntry(Entry(cls, code, data, kStatusToOk, length), inventory, e))
                lengths += " " + std::to_string(length);
        }
        return "maps at" + lengths;
    }
    const std::string plain = Mapped(Entry(cls, code, data), inventory);
    const std::string toOk = Mapped(Entry(cls, code, data, kStatusToOk), inventory);
    return toOk == plain ? plain : plain + " | status 6: " + toOk;
}

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

TEST(EventText, CasesAsReviewed) {
    test::ExpectCases("event_texts.txt", [](const std::string& input) {
        std::istringstream in = test::CaseInput(input);
        if (input.starts_with("slot ")) {
            std::string word;
            std::uint32_t sensorType = 0, data2 = 0;
            in >> word >> sensorType >> data2;
            return "[" + std::string(SlotConnectorText(sensorType, data2)) + "]";
        }
        std::uint32_t type = 0, sensorType = 0, usage2 = 0, usage3 = 0, offset = 0, data2 = 0,
                      data3 = 0;
        in >> type >> sensorType >> usage2 >> usage3 >> offset >> data2 >> data3;
        return EventText(type, sensorType, usage2 << 2 | usage3, offset, data2, data3);
    });
}

TEST(MapEntry, EntriesAsReviewed) {
    test::ExpectCases("log_entries.txt", MappedCase);
}

}  // namespace
}  // namespace norv
